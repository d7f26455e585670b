#pragma once

// Runs the sample program (arguments as main's, result its exit code). It lives in the
// window's library, compiled with the libraries' precompiled Qt header; the program's own
// main only calls it.
int RunSample(int argc, char* argv[]);
