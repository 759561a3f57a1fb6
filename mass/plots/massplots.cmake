# Mass plots (included by CMakeLists.txt after the title macros): the 1-D
# plot and the mass plot, the trace painter with its peak labels, the
# property bags and stored defaults, with their tests.
target_sources(ionvale_plots PRIVATE
  imassplotable.h
  t1dplot.h t1dplot.cpp
  t1dmassplot.h t1dmassplot.cpp
  t1dmassplotter.h t1dmassplotter.cpp tpeaklabels.cpp
  tplotpropertiesbag.h tplotpropertiesbag.cpp)

# Painters paint into the recording device and images; plots and bags are
# read from every prefix of their stored forms. A short timeout: nothing
# here may loop on damaged values.
ks_add_test(ionvale_massplot_test
  SOURCES tests/massplot/massplottest.h tests/massplot/trace_test.cpp tests/massplot/labels_test.cpp
          tests/massplot/massplot_test.cpp tests/massplot/bag_test.cpp
  LIBS ionvale_plots ionvale_paint_recorder kstestsupport_qtmain
  LABELS Ionvale mass-plots
  NO_MAIN
  TIMEOUT 120)
if(TARGET ionvale_massplot_test)
  target_include_directories(ionvale_massplot_test PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/mass/document/tests)
endif()
