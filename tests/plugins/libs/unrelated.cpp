// A library whose name happens to begin with "pro" but which is no plug-in:
// it has no entry points and registers nothing, and loading it is harmless.
extern "C" __attribute__((visibility("default"))) int ProfileSomething(int x) {
  return x * 2;
}
