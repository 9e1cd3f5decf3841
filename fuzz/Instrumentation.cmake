# Included by the top-level file when VIRASVET_FUZZ is on, before any target: checks that the
# compiler brings libFuzzer and instruments every target for coverage, AddressSanitizer and
# UndefinedBehaviorSanitizer, so that the fuzzer sees into the code under test. Sets
# VIRASVET_FUZZ_SUPPORTED.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer,address,undefined")
set(CMAKE_REQUIRED_LINK_OPTIONS "-fsanitize=fuzzer,address,undefined")
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }
]] VIRASVET_COMPILER_HAS_LIBFUZZER)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)

if(VIRASVET_COMPILER_HAS_LIBFUZZER)
    set(VIRASVET_FUZZ_SUPPORTED ON)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
else()
    set(VIRASVET_FUZZ_SUPPORTED OFF)
    message(WARNING "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION} brings no libFuzzer: "
                    "the fuzz targets are not built (configure with CXX=clang++)")
endif()
