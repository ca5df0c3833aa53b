// precompiled.cpp - the one source of the target that builds the system tests' precompiled
// header; the header itself is all it holds.
