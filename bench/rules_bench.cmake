# The rule sets against grep over one generated corpus (see rules_scan_bench.cpp).
add_executable(rules_scan_bench rules_scan_bench.cpp rules_corpus.cpp)
target_link_libraries(rules_scan_bench PRIVATE qx_engine benchmark::benchmark)
target_compile_definitions(rules_scan_bench
  PRIVATE QX_BENCH_CORPUS_DIR="${CMAKE_BINARY_DIR}/bench-corpus/rules")
