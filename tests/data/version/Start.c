/* The smallest program the linker makes: no runtime, no imports. Its only
   purpose is to carry the version resources of the tests. */
int Start(void) { return 0; }
