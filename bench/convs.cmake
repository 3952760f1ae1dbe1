# campconv / squadconv: text write and parse throughput.
kvl_add_bench(convs_bench SOURCES convs_bench.cpp LIBS campconv_core squadconv_core)
