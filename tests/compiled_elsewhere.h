// The source list of a test suite whose files are compiled with its program's other suites
// (tests/CMakeLists.txt, _dendrokit_test_unity): a target must list at least one file.
