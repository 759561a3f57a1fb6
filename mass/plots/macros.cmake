# Title macros of mass plots (included by CMakeLists.txt after the library
# is defined).
