# Host tree: tools the build runs, and native tests of the Windows-free code.
add_compile_options(-Wall -Wextra)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release)
endif()
set(CMAKE_CXX_FLAGS_RELEASE "-O2")

include_directories(${CMAKE_SOURCE_DIR}/payload ${CMAKE_SOURCE_DIR}/product ${CMAKE_SOURCE_DIR}/tools/pack
  ${CMAKE_SOURCE_DIR}/tools/pe
  ${CMAKE_SOURCE_DIR}/quorvel ${CMAKE_SOURCE_DIR}/uninstaller ${CMAKE_SOURCE_DIR}/system)

# The encoder and the decoder, optimised, for the packer and the benchmarks.
add_library(vantor_codec STATIC
  ${CMAKE_SOURCE_DIR}/payload/lzhuf_decoder.cpp
  ${CMAKE_SOURCE_DIR}/payload/payload_sum.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/lzhuf_encoder.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/lzhuf_coder.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/match_finder.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/optimal_parse.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/memory_sink.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/file_bytes.cpp)
# The encoder spreads match finding over the cores.
find_package(Threads REQUIRED)
target_link_libraries(vantor_codec PUBLIC Threads::Threads)

add_executable(vantor-pack ${CMAKE_SOURCE_DIR}/tools/pack/vantor_pack.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/setup_verify.cpp ${CMAKE_SOURCE_DIR}/tools/pe/pe_resources.cpp
  ${CMAKE_SOURCE_DIR}/tools/pe/pe_icon_group.cpp ${CMAKE_SOURCE_DIR}/tools/pe/pe_headers.cpp)
target_link_libraries(vantor-pack vantor_codec)

# The setup's headers packed into one file block after linking.
add_executable(vantor-headers ${CMAKE_SOURCE_DIR}/tools/pe/vantor_headers.cpp
  ${CMAKE_SOURCE_DIR}/tools/pe/pe_headers.cpp ${CMAKE_SOURCE_DIR}/tools/pack/file_bytes.cpp)

# The description's reader and checks. The checks of painted pictures' texts
# use the painter's own layouts and fonts, and those of the default folder
# the folder page's rules.
file(GLOB VANTOR_DESCRIPTION_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/manifest/*.cpp)
list(REMOVE_ITEM VANTOR_DESCRIPTION_SOURCES ${CMAKE_SOURCE_DIR}/tools/manifest/vantor_manifest.cpp)
add_library(vantor_description STATIC ${VANTOR_DESCRIPTION_SOURCES}
  ${CMAKE_SOURCE_DIR}/tools/paint/picture_texts.cpp
  ${CMAKE_SOURCE_DIR}/tools/paint/paint_banner.cpp
  ${CMAKE_SOURCE_DIR}/tools/paint/paint_start_menu.cpp
  ${CMAKE_SOURCE_DIR}/tools/paint/paint_canvas.cpp
  ${CMAKE_SOURCE_DIR}/tools/paint/pixel_fonts.cpp
  ${CMAKE_SOURCE_DIR}/product/location_rules.cpp
  ${CMAKE_SOURCE_DIR}/product/path_helpers.cpp
  ${CMAKE_SOURCE_DIR}/payload/payload_sum.cpp)
target_include_directories(vantor_description PUBLIC ${CMAKE_SOURCE_DIR}/tools/manifest
  ${CMAKE_SOURCE_DIR}/tools/paint ${CMAKE_SOURCE_DIR}/payload)
add_executable(vantor-manifest ${CMAKE_SOURCE_DIR}/tools/manifest/vantor_manifest.cpp)
target_link_libraries(vantor-manifest vantor_description)

set(VANTOR_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

find_package(GTest REQUIRED)
file(GLOB VANTOR_HOST_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*.cpp)
add_executable(vantor-host-tests ${VANTOR_HOST_TEST_SOURCES}
  ${VANTOR_PORTABLE_SOURCES}
  ${CMAKE_SOURCE_DIR}/uninstaller/removal_rules.cpp
  ${CMAKE_SOURCE_DIR}/tools/pe/pe_headers.cpp ${CMAKE_SOURCE_DIR}/tools/pe/pe_resources.cpp
  ${CMAKE_SOURCE_DIR}/tools/pe/pe_icon_group.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/lzhuf_encoder.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/lzhuf_coder.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/match_finder.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/optimal_parse.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/memory_sink.cpp
  ${CMAKE_SOURCE_DIR}/tools/pack/file_bytes.cpp)
target_compile_options(vantor-host-tests PRIVATE ${VANTOR_SANITIZE} -O1 -g)
target_link_options(vantor-host-tests PRIVATE ${VANTOR_SANITIZE})
# The sample description is checked against the reader's keys.
target_link_libraries(vantor-host-tests vantor_description GTest::gtest_main Threads::Threads)
target_compile_definitions(vantor-host-tests PRIVATE
  VANTOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  VANTOR_PACK_PATH="$<TARGET_FILE:vantor-pack>"
  VANTOR_MANIFEST_PATH="$<TARGET_FILE:vantor-manifest>"
  VANTOR_PAINT_PATH="$<TARGET_FILE:paint-resources>")
add_dependencies(vantor-host-tests vantor-pack vantor-manifest paint-resources)
include(GoogleTest)
gtest_discover_tests(vantor-host-tests DISCOVERY_MODE PRE_TEST)

# Coverage-guided fuzzing of the decoder (clang's libFuzzer).
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_executable(fuzz-decoder ${CMAKE_SOURCE_DIR}/tests/fuzz/decoder_fuzz.cpp
    ${CMAKE_SOURCE_DIR}/payload/lzhuf_decoder.cpp)
  target_compile_options(fuzz-decoder PRIVATE -fsanitize=fuzzer,address,undefined -g -O1)
  target_link_options(fuzz-decoder PRIVATE -fsanitize=fuzzer,address,undefined)
  add_test(NAME fuzz.decoder_bounded COMMAND fuzz-decoder -runs=20000 -seed=1 -max_len=4096)
  set_tests_properties(fuzz.decoder_bounded PROPERTIES COST 11)
  # And of the setup's command line, which an administrator's tool writes.
  add_executable(fuzz-command-line ${CMAKE_SOURCE_DIR}/tests/fuzz/command_line_fuzz.cpp
    ${CMAKE_SOURCE_DIR}/product/command_line.cpp ${CMAKE_SOURCE_DIR}/product/path_helpers.cpp)
  target_compile_options(fuzz-command-line PRIVATE -fsanitize=fuzzer,address,undefined -g -O1)
  target_link_options(fuzz-command-line PRIVATE -fsanitize=fuzzer,address,undefined)
  add_test(NAME fuzz.command_line_bounded
    COMMAND fuzz-command-line -runs=200000 -seed=1 -max_len=2048)
endif()

find_package(benchmark QUIET)
add_executable(vantor-bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/codec_bench.cpp)
target_link_libraries(vantor-bench vantor_codec)
target_compile_definitions(vantor-bench PRIVATE VANTOR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# Two clean builds from two folders give the same setup program. This test
# and the next carry their rough seconds as COST, so that a parallel run
# starts them first.
add_test(NAME build.reproducible COMMAND ${CMAKE_SOURCE_DIR}/tests/reproducible_build.sh
  ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(build.reproducible PROPERTIES TIMEOUT 900 COST 60)

# A build with a throwaway certificate signs every program and the setup.
add_test(NAME build.signed COMMAND ${CMAKE_SOURCE_DIR}/tests/signed_build.sh
  ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(build.signed PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77 COST 45)

# ---------------------------------------------------------------------------
# Pictures: the generator of the bitmaps and icons committed in resources/,
# and the check that it still makes exactly those files.
add_executable(paint-resources
  ${CMAKE_SOURCE_DIR}/tools/paint/paint_resources.cpp
  ${CMAKE_SOURCE_DIR}/tools/paint/paint_computer.cpp
  ${CMAKE_SOURCE_DIR}/tools/paint/paint_icons.cpp)
target_link_libraries(paint-resources vantor_description)
add_test(NAME pictures.regenerate_identical
  COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:paint-resources>
    -DOUT=${CMAKE_BINARY_DIR}/pictures-check -DREF=${CMAKE_SOURCE_DIR}/resources
    -DDESCRIPTION=${CMAKE_SOURCE_DIR}/products/quorvel/product.txt
    -P ${CMAKE_SOURCE_DIR}/tools/paint/compare_pictures.cmake)
