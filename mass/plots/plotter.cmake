# The plotter of mass plots (included by CMakeLists.txt after the library
# is defined): mapping and layout, axes, ticks and grid, the overlays, and
# the painting, mapping and hit tests of the plot base. Pixel-sized fonts
# and transparency come from the document utilities.
target_sources(ionvale_plots PRIVATE
  tbaseplotter.h tbaseplotter.cpp
  tplotteraxes.cpp
  tplotteroverlays.cpp
  tbaseplotpaint.cpp)
target_link_libraries(ionvale_plots PUBLIC ionvale_document)

if(KS_BUILD_TESTS)
  # A paint device that records what a painter draws, for exact assertions
  # on painters (the trace painter's tests use it too).
  add_library(ionvale_paint_recorder STATIC tests/paintrecorder.h tests/paintrecorder.cpp)
  target_include_directories(ionvale_paint_recorder PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  target_link_libraries(ionvale_paint_recorder PUBLIC Qt5::Gui)
endif()

# Mapping, layout and hit tests, axes, ticks and grid, overlays, whole
# plots, and damaged axis values. A short timeout: the tick loops that used
# to hang on bad values must return.
ks_add_test(ionvale_plotter_test
  SOURCES tests/plotter/plottertest.h tests/plotter/mapping_test.cpp tests/plotter/axes_test.cpp
          tests/plotter/overlay_test.cpp tests/plotter/paint_test.cpp tests/plotter/badinput_test.cpp
  LIBS ionvale_plots ionvale_paint_recorder kstestsupport_qtmain
  LABELS Ionvale mass-plots
  NO_MAIN
  TIMEOUT 60)
if(TARGET ionvale_plotter_test)
  target_include_directories(ionvale_plotter_test PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/mass/document/tests)
endif()
