# Java stand-ins, the JUnit suites and the demo, compiled once with the
# 64-bit JDK and run on both JVMs: every test class is one ctest test per JVM,
# so ctest runs them in parallel.

file(GLOB_RECURSE JAVA_MAIN_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/java/src/*.java)
file(GLOB_RECURSE JAVA_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/java/test/*.java)
file(GLOB_RECURSE JAVA_DEMO_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/java/demo/*.java)

set(JAVA_CLASSES ${CMAKE_BINARY_DIR}/java/classes)
set(JAVA_TEST_CLASSES ${CMAKE_BINARY_DIR}/java/test-classes)
set(JAVA_DEMO_CLASSES ${CMAKE_BINARY_DIR}/java/demo-classes)

# What every JVM started for the build needs to know: see cmake/run-java.sh.
set(MAKEBIN_JAVA_ENV "JDK64=${JDK64};JDK32=${JDK32};MAKEBIN_LOG_DIR=${CMAKE_BINARY_DIR}/logs;MAKEBIN_I386_EMULATOR=${MAKEBIN_I386_EMULATOR}")
# An emulated JVM runs interpreted: give it room.
if(MAKEBIN_I386_EMULATOR)
  set(MAKEBIN_JUNIT_TIMEOUT 900)
else()
  set(MAKEBIN_JUNIT_TIMEOUT 300)
endif()

# A test of the 32-bit JVM where there is none: ctest reports it as skipped,
# never as passed, and its output says why.
function(makebin_skipped_jvm32_test name)
  add_test(NAME ${name}
           COMMAND sh -c "echo \"skipped: the 32-bit JVM was not run: $1\"; exit 77"
                   skip "${MAKEBIN_JVM32_MISSING}")
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 LABELS jvm32)
endfunction()

function(makebin_java_tests)
  set(javac ${JDK64}/bin/javac -encoding UTF-8 --release 17 -Xlint:all -Werror)
  set(steps COMMAND ${CMAKE_COMMAND} -E rm -rf ${JAVA_CLASSES} ${JAVA_TEST_CLASSES} ${JAVA_DEMO_CLASSES}
            COMMAND ${javac} -d ${JAVA_CLASSES} ${JAVA_MAIN_SOURCES})
  if(JAVA_TEST_SOURCES)
    list(APPEND steps COMMAND ${javac} -d ${JAVA_TEST_CLASSES} -cp ${JAVA_CLASSES}:${JUNIT_JAR}
                      ${JAVA_TEST_SOURCES})
  endif()
  if(JAVA_DEMO_SOURCES)
    list(APPEND steps COMMAND ${javac} -d ${JAVA_DEMO_CLASSES} -cp ${JAVA_CLASSES}
                      ${JAVA_DEMO_SOURCES})
  endif()
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/java/classes.stamp
    ${steps}
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/java/classes.stamp
    DEPENDS ${JAVA_MAIN_SOURCES} ${JAVA_TEST_SOURCES} ${JAVA_DEMO_SOURCES}
    COMMENT "Compiling Java classes")
  add_custom_target(java_classes ALL DEPENDS ${CMAKE_BINARY_DIR}/java/classes.stamp)

  # How the JVMs above are found when JDK64/JDK32 are not given.
  add_test(NAME java.find_jdks COMMAND ${PROJECT_SOURCE_DIR}/cmake/find-jdks-test.sh)

  foreach(src ${JAVA_TEST_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    if(NOT name MATCHES "Test$")
      continue()
    endif()
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/java/test ${src})
    string(REGEX REPLACE "\\.java$" "" cls ${rel})
    string(REPLACE "/" "." cls ${cls})
    foreach(jvm jvm64 jvm32)
      if(jvm STREQUAL jvm64)
        set(arch x86_64)
      else()
        set(arch i386)
      endif()
      if(NOT arch IN_LIST MAKEBIN_ARCHS)
        continue()
      endif()
      if(jvm STREQUAL jvm32 AND NOT MAKEBIN_JVM32)
        makebin_skipped_jvm32_test(${jvm}.${name})
        continue()
      endif()
      add_test(NAME ${jvm}.${name}
               COMMAND ${PROJECT_SOURCE_DIR}/cmake/run-junit.sh ${arch}
                       ${CMAKE_BINARY_DIR}/lib/${arch}
                       ${JAVA_CLASSES}:${JAVA_TEST_CLASSES} ${cls})
      set_tests_properties(${jvm}.${name} PROPERTIES TIMEOUT ${MAKEBIN_JUNIT_TIMEOUT} LABELS ${jvm}
        ENVIRONMENT "BOARD_SIM=$<TARGET_FILE:board-sim>;PANELBIN=$<TARGET_FILE:panelbin>;JUNIT_JAR=${JUNIT_JAR};${MAKEBIN_JAVA_ENV}")
    endforeach()
  endforeach()
endfunction()

# makebin-diagnostics.jar: MakeBinDiagnostics, the class an application
# ships beside its own JNIMakeBin to learn why a call failed, and
# makebin-diagnostics-sources.jar, its source for IDEs. Built by the default
# build, on their own: the application's JNIMakeBin is in neither.
if(MAKEBIN_JAVA AND NOT MAKEBIN_FUZZ)
  set(MAKEBIN_DIAGNOSTICS_JAR ${CMAKE_BINARY_DIR}/java/makebin-diagnostics.jar)
  set(diagnostics_sources_jar ${CMAKE_BINARY_DIR}/java/makebin-diagnostics-sources.jar)
  set(diagnostics_source com/kestrel/vimora/jni/MakeBinDiagnostics.java)
  # The class as java_classes compiled it: one compiler run, one set of flags.
  add_custom_command(
    OUTPUT ${MAKEBIN_DIAGNOSTICS_JAR} ${diagnostics_sources_jar}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${MAKEBIN_DIAGNOSTICS_JAR} ${diagnostics_sources_jar}
    COMMAND ${JDK64}/bin/jar --create --file ${MAKEBIN_DIAGNOSTICS_JAR}
            -C ${JAVA_CLASSES} com/kestrel/vimora/jni/MakeBinDiagnostics.class
    COMMAND ${JDK64}/bin/jar --create --file ${diagnostics_sources_jar}
            -C ${PROJECT_SOURCE_DIR}/java/src ${diagnostics_source}
    DEPENDS ${CMAKE_BINARY_DIR}/java/classes.stamp ${PROJECT_SOURCE_DIR}/java/src/${diagnostics_source}
    COMMENT "Building makebin-diagnostics.jar and its sources jar" VERBATIM)
  add_custom_target(diagnostics_jar ALL DEPENDS ${MAKEBIN_DIAGNOSTICS_JAR} ${diagnostics_sources_jar})
  add_dependencies(diagnostics_jar java_classes)
endif()
