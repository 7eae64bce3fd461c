// The main of the Qt tests: one application object for the whole run, made before the first test
// and gone before the program's static objects are.

#include <gtest/gtest.h>

#include <QApplication>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LYN_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define LYN_LEAK_CHECKED 1
#endif

#ifdef LYN_LEAK_CHECKED
// LeakSanitizer's scan of dynamic thread-local storage reads a bogus block once Qt has loaded
// its image plugins and crashes at exit. Our code keeps nothing in thread-local storage, so the
// scan is left out; what GLib keeps only there then reads as a leak, and is not ours.
extern "C" const char* __lsan_default_options() { return "use_tls=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:libglib-2.0.so\n"; }
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // No test needs a display, also when the runner (test discovery) did not say so.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
