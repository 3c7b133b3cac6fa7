# bench_retrieval: one large message retrieved and extracted (see
# bench/pop3/bench_retrieval.sh, which runs it beside Python's poplib and
# email package). Included from this folder's CMakeLists.txt.
add_executable(bench_retrieval bench_retrieval.cpp)
target_link_libraries(bench_retrieval PRIVATE pop3 Qt6::Core)
