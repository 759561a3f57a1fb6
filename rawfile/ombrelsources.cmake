# The raw-file reader's sources (class Ombrel, without the component's
# entry points), for the component and for the fuzz targets that compile
# the reader in. They share constant names: each compiles on its own.
set(KS_OMBREL_READER_SOURCES)
foreach(s ombreldispatch ombrelobject ombrelscans ombrelinfo ombrellogs ombrelchros ombrelmasslists ombrelaverage
    ombrelprecursor ombrelsteps ombrelparse)
  list(APPEND KS_OMBREL_READER_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${s}.cpp)
endforeach()
