#!/bin/sh
# Exits 0 when this machine's kernel runs 32-bit Linux programs, as Wine's 32-bit loader is one.
# Some kernels are built or booted without 32-bit emulation: Wine then runs 64-bit programs only.
exec /usr/lib/wine/wine --version >/dev/null 2>&1
