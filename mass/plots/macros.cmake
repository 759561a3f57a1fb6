# Title macros of mass plots (included by CMakeLists.txt after the library
# is defined): the macro parser, the mass plot title macros and the macro
# editor dialog, its form and its picture, with their test and fuzz target.
find_package(Qt5 COMPONENTS Widgets Test REQUIRED)
find_package(Python3 COMPONENTS Interpreter REQUIRED)

target_sources(ionvale_plots PRIVATE
  tmacroparser.h tmacroparser.cpp
  tmassplottitleparser.h tmassplottitleparser.cpp
  wmacroeditordialog.h wmacroeditordialog.cpp wmacroeditordialog.ui)
set_target_properties(ionvale_plots PROPERTIES AUTOMOC ON AUTOUIC ON)
target_link_libraries(ionvale_plots PUBLIC ionvale_document Qt5::Widgets)

# The pictures are drawn by a generator of ours at build time and compiled
# into the library (":/pictures/add.png"); a static library registers them
# with Q_INIT_RESOURCE(plotpictures).
set(plot_pictures ${CMAKE_CURRENT_BINARY_DIR}/pictures/add.png)
add_custom_command(OUTPUT ${plot_pictures}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/pictures/make_pictures.py
          ${CMAKE_CURRENT_BINARY_DIR}/pictures
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/pictures/make_pictures.py
  COMMENT "Drawing the pictures of the plot dialogs")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/plotpictures.qrc
  "<RCC>\n  <qresource prefix=\"/\">\n    <file>pictures/add.png</file>\n  </qresource>\n</RCC>\n")
qt5_add_resources(plot_picture_sources ${CMAKE_CURRENT_BINARY_DIR}/plotpictures.qrc
  OPTIONS --compress-algo zlib)
# rcc's file-local names are the same in every resource source.
set_source_files_properties(${plot_picture_sources} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
target_sources(ionvale_plots PRIVATE ${plot_picture_sources})

# The parser tables, the title macros over generated runs and the bundled
# text dataset, and the dialog under the offscreen platform. A short
# timeout: formats of a megabyte expand in one pass, where replacing each
# reference all over the text grows with the square of the length (1.5 s
# for 256 KB in a release build, half a minute for a megabyte).
ks_add_test(ionvale_macro_test
  SOURCES tests/macrotest.h tests/macroparser_test.cpp tests/titleparser_test.cpp tests/macrodialog_test.cpp
  LIBS ionvale_plots kstestsupport_qtmain Qt5::Test
  LABELS Ionvale mass-plots
  NO_MAIN
  TIMEOUT 60)
if(TARGET ionvale_macro_test)
  add_dependencies(ionvale_macro_test KSProviderServer KSTextProvider ks_tindrel_test_provider ksregsvr)
  target_compile_definitions(ionvale_macro_test PRIVATE
    KS_TEXT_SAMPLES_DIR="${PROJECT_SOURCE_DIR}/dataservices/providers/text/samples")
endif()

# Title formats are typed by users, stored in documents and set by scripts.
ks_add_fuzzer(mass_macro_fuzz
  SOURCES fuzz/macro_fuzz.cpp
  LIBS ionvale_plots
  CORPUS fuzz/macro_corpus
  LABELS Ionvale mass-plots)
