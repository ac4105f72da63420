# `cmake --build build --target debs` (./run package) writes the Debian
# packages into build/packages with packaging/make-debs.sh, which packs the
# install components of cmake/Install.cmake. tests/package checks them.

set(MAKEBIN_PACKAGE_DIR ${CMAKE_BINARY_DIR}/packages)
set(MAKEBIN_MAKE_DEBS ${PROJECT_SOURCE_DIR}/packaging/make-debs.sh ${PROJECT_SOURCE_DIR}
    ${CMAKE_BINARY_DIR} ${MAKEBIN_PACKAGE_DIR} ${PROJECT_VERSION})

add_custom_target(debs COMMAND ${MAKEBIN_MAKE_DEBS}
                  COMMENT "Building Debian packages in ${MAKEBIN_PACKAGE_DIR}" VERBATIM)
foreach(target makebin_i386 makebin_x86_64 board-sim panelbin diagnostics_jar)
  if(TARGET ${target})
    add_dependencies(debs ${target})
  endif()
endforeach()

add_subdirectory(tests/package)
