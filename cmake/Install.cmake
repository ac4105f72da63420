# Install rules, one component per Debian package (see cmake/Package.cmake):
#   jni-i386, jni-x86_64  the library where each Debian JVM looks by default
#   dev                   headers, CMake package, pkg-config file
#   tools                 board-sim, panelbin
#   java                  makebin-diagnostics.jar, where Debian keeps jars
# Paths are relative to the install prefix, /usr for the packages.

include(CMakePackageConfigHelpers)

set(MAKEBIN_TRIPLET_i386 i386-linux-gnu)
set(MAKEBIN_TRIPLET_x86_64 x86_64-linux-gnu)

# A JNI library is loaded, never executed: 0644 as Debian wants for libraries.
foreach(arch i386 x86_64)
  install(TARGETS makebin_${arch}
          LIBRARY DESTINATION lib/${MAKEBIN_TRIPLET_${arch}}/jni
                  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
                  COMPONENT jni-${arch})
endforeach()

# include/ holds exactly the public headers. They include each other by bare
# name, which resolves in the same folder here and once installed side by side.
install(FILES include/ks_type.h include/ks_unf_panel.h include/ks_db.h include/option_translate.h
              include/Communication_c.h ${CMAKE_BINARY_DIR}/generated/makebin_version.h
        DESTINATION include/makebin COMPONENT dev)

# The CMake package describes both architectures, so it lives in the
# architecture-independent lib/cmake, where 32- and 64-bit builds both look.
set(pkgdir ${CMAKE_BINARY_DIR}/install/cmake)
configure_file(${PROJECT_SOURCE_DIR}/cmake/makebin-config.cmake.in ${pkgdir}/makebin-config.cmake
               @ONLY)
write_basic_package_version_file(${pkgdir}/makebin-config-version.cmake
                                 COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${pkgdir}/makebin-config.cmake ${pkgdir}/makebin-config-version.cmake
        DESTINATION lib/cmake/makebin COMPONENT dev)

# pkg-config names absolute paths, so the file is written at install time
# for the prefix actually used. It serves x86-64 callers, like the package
# that carries it.
set(pcfile ${CMAKE_BINARY_DIR}/install/pkgconfig/makebin.pc)
install(CODE "
  set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
  set(version \"${PROJECT_VERSION}\")
  set(triplet \"${MAKEBIN_TRIPLET_x86_64}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/packaging/makebin.pc.in\" \"${pcfile}\" @ONLY)
  " COMPONENT dev)
install(FILES ${pcfile} DESTINATION lib/${MAKEBIN_TRIPLET_x86_64}/pkgconfig COMPONENT dev)

# The jar as Debian's Java policy lays it out: named with its version, and
# the plain name a link to it, which an application puts on its class path.
# Its sources stay in the build tree: Debian ships no source in a jar.
set(diagnostics_jar makebin-diagnostics-${PROJECT_VERSION}.jar)
install(FILES ${MAKEBIN_DIAGNOSTICS_JAR} DESTINATION share/java RENAME ${diagnostics_jar}
        COMPONENT java)
install(CODE "
  file(CREATE_LINK ${diagnostics_jar}
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/java/makebin-diagnostics.jar\" SYMBOLIC)
  " COMPONENT java)

# Each tool comes with its manual page from packaging/, where it has one.
foreach(tool board-sim panelbin)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION bin COMPONENT tools)
    if(EXISTS ${PROJECT_SOURCE_DIR}/packaging/${tool}.1)
      install(FILES packaging/${tool}.1 DESTINATION share/man/man1 COMPONENT tools)
    endif()
  endif()
endforeach()
