// The font configuration library keeps caches for the life of the process and never frees
// them; they are not the program's leaks.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libfontconfig\n";
}
