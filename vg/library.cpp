// libtamarind.so is tamarind_core linked whole; this unit gives the shared library a source of its own.
