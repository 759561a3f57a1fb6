// Qt's offscreen platform plugin keeps its screen objects past the end of
// the QApplication; LeakSanitizer would fail every widget test at exit.
// Full allocation stacks let the suppression name the plugin alone.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\n";
}
