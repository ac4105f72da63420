# Targets of one architecture: the library, GoogleTest, the native tests, the
# JNI test helper library and the export check. Sources are found by glob so
# that adding a file to a subsystem needs no edit here.

# The library's folders, lowest layer first (cmake/layers.txt says what each
# may include). A folder that holds sources but is missing here, or is listed
# but holds none, stops the configuration rather than being left out.
set(MAKEBIN_SOURCE_DIRS base db comm panel/model panel/binfile jni/support panel/java/bulk
                        panel/java board jni)
set(MAKEBIN_SOURCES "")
foreach(dir ${MAKEBIN_SOURCE_DIRS})
  file(GLOB dir_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT dir_sources)
    message(FATAL_ERROR "${dir}/ is listed as a library folder but holds no .cpp file")
  endif()
  list(APPEND MAKEBIN_SOURCES ${dir_sources})
endforeach()
file(GLOB_RECURSE all_library_sources CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/base/*.cpp ${PROJECT_SOURCE_DIR}/db/*.cpp ${PROJECT_SOURCE_DIR}/comm/*.cpp
     ${PROJECT_SOURCE_DIR}/panel/*.cpp ${PROJECT_SOURCE_DIR}/jni/*.cpp ${PROJECT_SOURCE_DIR}/board/*.cpp)
foreach(src ${all_library_sources})
  if(NOT src IN_LIST MAKEBIN_SOURCES)
    message(FATAL_ERROR "${src} is in a folder missing from MAKEBIN_SOURCE_DIRS")
  endif()
endforeach()
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*.cpp)
file(GLOB JNI_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/jni/*.cpp)
file(GLOB EXPORT_LISTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/exports/*.txt)

add_compile_definitions(_FILE_OFFSET_BITS=64)
set(MAKEBIN_WARNINGS -Wall -Wextra -Werror -Wshadow -Wconversion -Wno-sign-conversion)
find_package(Threads REQUIRED)
find_program(MAKEBIN_CC NAMES cc gcc REQUIRED)

# The library's dynamic symbol table names exactly what the lists in
# tests/exports name, whatever the compiler made visible: a linker version
# script made from every list keeps the rest (internal C++ helpers, the
# private C++ runtime) local. Editing or adding a list re-runs the
# configuration, which rewrites the script.
set(EXPORT_MAP ${CMAKE_BINARY_DIR}/makebin.map)
set(EXPORT_GLOBALS "")
foreach(list ${EXPORT_LISTS})
  file(STRINGS ${list} names REGEX "^[^#]")
  foreach(name ${names})
    string(STRIP "${name}" name)
    if(name)
      string(APPEND EXPORT_GLOBALS "    ${name};\n")
    endif()
  endforeach()
endforeach()
file(CONFIGURE OUTPUT ${EXPORT_MAP} CONTENT "{\n  global:\n${EXPORT_GLOBALS}  local: *;\n};\n" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${EXPORT_LISTS})

function(makebin_arch arch flag)
  set(libdir ${CMAKE_BINARY_DIR}/lib/${arch})
  # One include root: every include of ours names its file from the top.
  set(includes ${PROJECT_SOURCE_DIR} ${JDK64}/include ${JDK64}/include/linux)

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
  # -Bsymbolic-functions: the library's calls to its own exports
  # (EndConnection, KS_DB_Create, ...) stay inside it, whatever another
  # library loaded earlier calls its functions.
  target_link_options(makebin_${arch} PRIVATE ${flag} -static-libstdc++ -static-libgcc
                      -Wl,--no-undefined -Wl,--exclude-libs,ALL -Wl,--as-needed
                      -Wl,--version-script=${EXPORT_MAP} -Wl,-Bsymbolic-functions)
  set_target_properties(makebin_${arch} PROPERTIES LINK_DEPENDS ${EXPORT_MAP})

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
    if(arch STREQUAL i386 AND MAKEBIN_I386_EMULATOR)
      # Serves both the test discovery and every test command.
      set_target_properties(native_tests_${arch} PROPERTIES
                            CROSSCOMPILING_EMULATOR ${MAKEBIN_I386_EMULATOR})
    endif()
    # Tests are listed when ctest starts, not after the link: a build must
    # never fail because this machine runs the test program differently.
    gtest_discover_tests(native_tests_${arch} TEST_PREFIX "${arch}." DISCOVERY_TIMEOUT 60
                         DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)
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
    # The headers that declare exported C functions are C11 as well as C++.
    add_test(NAME ${arch}.c_client
             COMMAND ${PROJECT_SOURCE_DIR}/tests/exports/c-client.sh ${MAKEBIN_CC} ${flag}
                     ${libdir} ${CMAKE_BINARY_DIR}/c_client_${arch} ${includes})
    if(arch STREQUAL i386 AND MAKEBIN_I386_EMULATOR)
      set_tests_properties(${arch}.c_client PROPERTIES ENVIRONMENT RUN_WITH=${MAKEBIN_I386_EMULATOR})
    endif()
  endif()
endfunction()
