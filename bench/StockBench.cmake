# The housing stock window's batch path, table and first rows (app/, Qt): configured once the
# window's library exists.
find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(stock_bench ${CMAKE_CURRENT_LIST_DIR}/StockBench.cpp)
    target_link_libraries(stock_bench PRIVATE appwindows benchmark::benchmark)
    target_compile_definitions(stock_bench PRIVATE VIRASVET_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    set_target_properties(stock_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                 ${PROJECT_BINARY_DIR}/bench)
endif()
