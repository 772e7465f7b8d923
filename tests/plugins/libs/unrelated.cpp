// No plug-in: no entry points, registers nothing. Built as "prounrelated",
// whose name the loader takes and which must load harmlessly, and as
// "mybrdhidden", whose name it must not take.
extern "C" __attribute__((visibility("default"))) int ProfileSomething(int x) {
  return x * 2;
}
