# modelconv: in-process throughput (Google Benchmark) and the programs the
# whole-process timing script bench/modelconv_process.sh compares.
kvl_add_bench(modelconv_bench SOURCES modelconv_bench.cpp LIBS modelconv_testsupport)
target_include_directories(modelconv_bench PRIVATE ${PROJECT_SOURCE_DIR})

add_executable(modelconv_trivial modelconv_trivial.cpp)
kvl_target_defaults(modelconv_trivial)
set_target_properties(modelconv_trivial PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)

add_executable(modelconv_benchdata modelconv_benchdata.cpp)
kvl_target_defaults(modelconv_benchdata)
target_include_directories(modelconv_benchdata PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(modelconv_benchdata PRIVATE modelconv_testsupport)
set_target_properties(modelconv_benchdata PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
