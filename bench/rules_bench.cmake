# The rule sets against grep over one generated corpus (see rules_scan_bench.cpp).
add_executable(rules_scan_bench rules_scan_bench.cpp rules_corpus.cpp)
target_link_libraries(rules_scan_bench PRIVATE qx_engine benchmark::benchmark)
target_compile_definitions(rules_scan_bench
  PRIVATE QX_BENCH_CORPUS_DIR="${CMAKE_BINARY_DIR}/bench-corpus/rules")

# The read and keyword passes alone, over files held in memory.
add_executable(text_pass_bench text_pass_bench.cpp rules_corpus.cpp)
target_link_libraries(text_pass_bench PRIVATE qx_engine benchmark::benchmark)
target_compile_definitions(text_pass_bench
  PRIVATE QX_BENCH_CORPUS_DIR="${CMAKE_BINARY_DIR}/bench-corpus/rules")
