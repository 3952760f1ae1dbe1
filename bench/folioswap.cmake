# folioswap: loading and unloading a set of many files.
kvl_add_bench(folioswap_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/folioswap_bench.cpp LIBS folioswap_core)
