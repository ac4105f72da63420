# MAKEBIN_FUZZ: a tree of libFuzzer harnesses and nothing else, x86-64 only,
# built with clang (CXX=clang++). The library's code is compiled once more
# with coverage for the fuzzer, AddressSanitizer and UndefinedBehaviorSanitizer;
# each tests/fuzz/fuzz_<name>.cpp becomes the program fuzz_<name>, run by
# `./run fuzz` on tests/fuzz/corpus/<name>/.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "MAKEBIN_FUZZ needs clang: configure with CXX=clang++")
endif()

set(FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
file(GLOB FUZZ_HARNESSES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)

add_library(makebin_fuzz_core OBJECT ${MAKEBIN_SOURCES})
target_include_directories(makebin_fuzz_core PUBLIC
  ${PROJECT_SOURCE_DIR} ${JDK64}/include ${JDK64}/include/linux)
# Warnings are the product build's business; clang's own set would only
# stop this tree over style.
target_compile_options(makebin_fuzz_core PUBLIC ${FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link)
target_link_options(makebin_fuzz_core PUBLIC ${FUZZ_SANITIZERS})

add_library(fuzz_support STATIC ${PROJECT_SOURCE_DIR}/tests/fuzz/fake_jni.cpp)
target_link_libraries(fuzz_support PUBLIC makebin_fuzz_core Threads::Threads)
target_compile_options(fuzz_support PRIVATE ${MAKEBIN_WARNINGS})

foreach(src ${FUZZ_HARNESSES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_compile_options(${name} PRIVATE ${MAKEBIN_WARNINGS})
  target_link_libraries(${name} PRIVATE fuzz_support)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()

# Seeds too big to keep in the repository: full files of both generations,
# made by the library's own writer at build time.
add_executable(make_corpus ${PROJECT_SOURCE_DIR}/tests/fuzz/make_corpus.cpp)
target_compile_options(make_corpus PRIVATE ${MAKEBIN_WARNINGS})
target_link_libraries(make_corpus PRIVATE fuzz_support)
set(MADE_CORPUS ${CMAKE_BINARY_DIR}/corpus-made)
add_custom_command(OUTPUT ${MADE_CORPUS}/reader.stamp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${MADE_CORPUS}/reader
  COMMAND make_corpus --full ${MADE_CORPUS}/reader
  COMMAND ${CMAKE_COMMAND} -E touch ${MADE_CORPUS}/reader.stamp
  DEPENDS make_corpus
  COMMENT "Making full bin files for the reader's corpus")
add_custom_target(fuzz_corpus ALL DEPENDS ${MADE_CORPUS}/reader.stamp)
