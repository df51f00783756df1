#pragma once

// Libraries that lose a few blocks by design (fontconfig while it reads its configuration, once
// per process) or on damaged input (libgsf while it reads a broken compound-file directory):
// not ours to free, and the leak check of a sanitized build must not fail every program that
// uses them. Included by the code that calls them; every copy is the same, the linker keeps one.

#if defined(__SANITIZE_ADDRESS__)
#define KALVENTO_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KALVENTO_LEAK_CHECK 1
#endif
#endif

#if defined(KALVENTO_LEAK_CHECK)
extern "C" inline __attribute__((used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libgsf-1.so\n";
}
extern "C" inline __attribute__((used)) const char* __lsan_default_options() {
  return "print_suppressions=0";
}
#endif
