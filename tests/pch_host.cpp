// Nothing of its own: the target that builds the precompiled headers the test suites share.
