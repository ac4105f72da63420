# Targets of one architecture: the library, GoogleTest, the native tests, the
# JNI test helper library and the export check. Sources are found by glob so
# that adding a file to a subsystem needs no edit here.

file(GLOB MAKEBIN_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/jni/*.cpp ${PROJECT_SOURCE_DIR}/panel/*.cpp
     ${PROJECT_SOURCE_DIR}/db/*.cpp ${PROJECT_SOURCE_DIR}/comm/*.cpp
     ${PROJECT_SOURCE_DIR}/board/*.cpp)
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*.cpp)
file(GLOB JNI_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/jni/*.cpp)
file(GLOB EXPORT_LISTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/exports/*.txt)

add_compile_definitions(_FILE_OFFSET_BITS=64)
set(MAKEBIN_WARNINGS -Wall -Wextra -Werror -Wshadow -Wconversion -Wno-sign-conversion)
find_package(Threads REQUIRED)

function(makebin_arch arch flag)
  set(libdir ${CMAKE_BINARY_DIR}/lib/${arch})
  set(includes ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/jni
               ${JDK64}/include ${JDK64}/include/linux)

  # The library's code compiled once per architecture: the shared library is
  # made of it, and the native tests link it directly, so they can reach the
  # internal C++ helpers that the shared library keeps to itself.
  add_library(makebin_core_${arch} OBJECT ${MAKEBIN_SOURCES})
  set_target_properties(makebin_core_${arch} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_include_directories(makebin_core_${arch} PUBLIC ${includes})
  target_compile_options(makebin_core_${arch} PRIVATE ${flag} ${MAKEBIN_WARNINGS}
                         -fvisibility-inlines-hidden)

  add_library(makebin_${arch} SHARED $<TARGET_OBJECTS:makebin_core_${arch}>)
  set_target_properties(makebin_${arch} PROPERTIES OUTPUT_NAME makebin
                        LIBRARY_OUTPUT_DIRECTORY ${libdir})
  target_include_directories(makebin_${arch} PUBLIC ${includes})
  # The host JVM brings its own C++ runtime or none at all: carry ours inside
  # and keep its symbols private, so the library needs nothing beyond libc.
  target_link_options(makebin_${arch} PRIVATE ${flag} -static-libstdc++ -static-libgcc
                      -Wl,--no-undefined -Wl,--exclude-libs,ALL -Wl,--as-needed)

  add_library(gtest_${arch} STATIC ${GTEST_SRC}/src/gtest-all.cc ${GTEST_SRC}/src/gtest_main.cc)
  target_include_directories(gtest_${arch} SYSTEM PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})
  target_compile_options(gtest_${arch} PRIVATE ${flag})
  target_link_options(gtest_${arch} PUBLIC ${flag})
  target_link_libraries(gtest_${arch} PUBLIC Threads::Threads)

  if(NATIVE_TEST_SOURCES)
    add_executable(native_tests_${arch} ${NATIVE_TEST_SOURCES})
    target_compile_options(native_tests_${arch} PRIVATE ${flag} ${MAKEBIN_WARNINGS})
    target_compile_definitions(native_tests_${arch} PRIVATE
      BOARD_SIM_PATH="$<TARGET_FILE:board-sim>" MAKEBIN_ARCH="${arch}")
    target_link_libraries(native_tests_${arch} PRIVATE makebin_core_${arch} gtest_${arch})
    add_dependencies(native_tests_${arch} board-sim)
    gtest_discover_tests(native_tests_${arch} TEST_PREFIX "${arch}." DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT 120)
  endif()

  if(JNI_TEST_SOURCES)
    add_library(makebintest_${arch} SHARED ${JNI_TEST_SOURCES})
    set_target_properties(makebintest_${arch} PROPERTIES OUTPUT_NAME makebintest
                          LIBRARY_OUTPUT_DIRECTORY ${libdir})
    target_compile_options(makebintest_${arch} PRIVATE ${flag} ${MAKEBIN_WARNINGS})
    target_link_options(makebintest_${arch} PRIVATE ${flag} -Wl,--no-undefined)
    target_link_libraries(makebintest_${arch} PRIVATE makebin_${arch})
    # Found next to it by the JVM's loader, whatever LD_LIBRARY_PATH says.
    set_target_properties(makebintest_${arch} PROPERTIES BUILD_RPATH "$ORIGIN")
  endif()

  # A sanitized library needs the sanitizer runtimes, so only the product is checked.
  if(NOT MAKEBIN_SANITIZE)
    add_test(NAME ${arch}.exports
             COMMAND ${PROJECT_SOURCE_DIR}/cmake/check-exports.sh $<TARGET_FILE:makebin_${arch}>
                     ${EXPORT_LISTS})
  endif()
endfunction()
