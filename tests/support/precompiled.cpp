// Compiled only to make the tests' shared precompiled headers (tests/CMakeLists.txt).
