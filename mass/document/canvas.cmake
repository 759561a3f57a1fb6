# The canvas classes host and plug-in share (included by CMakeLists.txt
# after ionvale_common is defined): canvas item bases and chunk scan,
# document item and item lists, property container with geometry and
# shape bags, plug-in log, the empty plug-in, guarded byte and image
# readers; their tests and fuzz target. The host interfaces come from the
# host's SDK (outside/lumatra/sdk), the tests' host from its recorder.
target_sources(ionvale_common PRIVATE
  qtcanvasitem.h qtcanvasitem.cpp
  qtpolygonscanner.h qtpolygonscanner.cpp
  tcanvasitem.h tcanvasitem.cpp tcanvasitemrecord.cpp tcanvasitemlist.cpp
  titemproperties.h titemproperties.cpp
  tpluginlog.h tpluginlog.cpp
  tcommand.h tcommand.cpp
  temptyplugin.h temptyplugin.cpp
  tstreambytes.h tstreambytes.cpp)
set_target_properties(ionvale_common PROPERTIES AUTOMOC ON)
target_link_libraries(ionvale_common PUBLIC lumatrasdk)

# Tests of the shared classes on the recording host's page; the record
# fixtures in tests/data/records are written by tests/make_records.py.
ks_add_test(ionvale_canvas_test
  SOURCES tests/canvastest.h tests/canvastest.cpp tests/chunks_test.cpp tests/canvasitem_test.cpp
          tests/itemrecord_test.cpp tests/itemlist_test.cpp tests/properties_test.cpp tests/pluginlog_test.cpp
  LIBS ionvale_common lumatrarecorder kstestsupport_qtmain
  LABELS Ionvale mass-canvas
  NO_MAIN)
if(TARGET ionvale_canvas_test)
  target_include_directories(ionvale_canvas_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
endif()

# Item records and property containers as documents and clipboards hold
# them. Seeds: the record fixtures and containers the tests write.
ks_add_fuzzer(mass_canvas_fuzz
  SOURCES fuzz/canvas_fuzz.cpp
  LIBS ionvale_common lumatrarecorder
  CORPUS fuzz/canvas_corpus
  LABELS Ionvale mass-canvas)
