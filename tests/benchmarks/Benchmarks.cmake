# Benchmarks: built natively, run by ./zoreva.sh bench, never by ctest.
if(NOT WIN32)
    find_package(benchmark REQUIRED)
    add_executable(extract_benchmark benchmarks/ExtractBenchmark.cpp)
    target_link_libraries(extract_benchmark PRIVATE zoreva_test_support benchmark::benchmark)
    target_compile_definitions(extract_benchmark PRIVATE ZOREVA_PACK="$<TARGET_FILE:zoreva-pack>")
endif()

if(NOT WIN32)
    add_executable(region_benchmark benchmarks/RegionBenchmark.cpp)
    target_link_libraries(region_benchmark PRIVATE zoreva_utilities benchmark::benchmark)
endif()
