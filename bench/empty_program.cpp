// empty_program.cpp - a program that does nothing: what starting any process costs, beside which
// the benchmark puts the start of zynctl.
int main() { return 0; }
