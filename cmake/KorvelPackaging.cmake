# Debian packages, the manual page and the pkg-config file. The packages come from
# the `deb` preset (prefix /usr, so the library lands in the multiarch folder):
#   cmake --preset deb && cmake --build build-deb --target java_vm korvel_math && cd build-deb && cpack -G DEB
#   korvel-java-vm      component java_vm:  bin/java_vm, man1/java_vm.1.gz
#   libkorvel-math1     component math_runtime: libkorvel_math.so.1 (and .so.1.0.0)
#   libkorvel-math-dev  component math_dev: the archive, the libkorvel_math.so link,
#                                           korvel_math.h, exports.list, the CMake
#                                           package, korvel_math.pc, korvel_math_shared.pc

# Man page, compressed reproducibly (no name or time stamp in the gzip header).
set(KORVEL_MAN_PAGE ${CMAKE_CURRENT_SOURCE_DIR}/docs/java_vm.1)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KORVEL_MAN_PAGE}
             ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian/changelog.in)
execute_process(COMMAND gzip -9nc ${KORVEL_MAN_PAGE} OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/java_vm.1.gz
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/java_vm.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT java_vm)

# pkg-config: korvel_math's --libs link the whole archive with the export list, as
# korvel_math_link_exports does; korvel_math_shared's link libkorvel_math.so.1.
file(RELATIVE_PATH KORVEL_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix/)
string(REGEX REPLACE "/$" "" KORVEL_PC_TO_PREFIX "${KORVEL_PC_TO_PREFIX}")
foreach(pc korvel_math korvel_math_shared)
  configure_file(cmake/${pc}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
          COMPONENT math_dev)
endforeach()

# What Debian wants in /usr/share/doc/<package> of each package; only the packages carry them.
configure_file(cmake/debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog
                OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
foreach(component_package java_vm:korvel-java-vm math_runtime:libkorvel-math1 math_dev:libkorvel-math-dev)
  string(REPLACE ":" ";" component_package ${component_package})
  list(GET component_package 0 component)
  list(GET component_package 1 package)
  install(FILES cmake/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

# Lintian tags that are the design, not faults (each reason is in the file).
get_filename_component(KORVEL_JVM_DIR ${JAVA_JVM_LIBRARY} DIRECTORY)
configure_file(cmake/debian/korvel-java-vm.lintian-overrides.in ${CMAKE_CURRENT_BINARY_DIR}/debian/korvel-java-vm @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/debian/korvel-java-vm DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        COMPONENT java_vm EXCLUDE_FROM_ALL)
string(REGEX REPLACE "^/" "" KORVEL_RUNTIME_LIBRARY
       "${CMAKE_INSTALL_FULL_LIBDIR}/libkorvel_math.so.${PROJECT_VERSION}")
configure_file(cmake/debian/libkorvel-math1.lintian-overrides.in ${CMAKE_CURRENT_BINARY_DIR}/debian/libkorvel-math1 @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/debian/libkorvel-math1 DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        COMPONENT math_runtime EXCLUDE_FROM_ALL)

# The Debian package of the OpenJDK runtime that provides the libjvm.so java_vm was linked against.
set(KORVEL_JVM_PACKAGE openjdk-17-jre-headless)
execute_process(COMMAND dpkg-query -S ${JAVA_JVM_LIBRARY} OUTPUT_VARIABLE _korvel_jvm_owner
                RESULT_VARIABLE _korvel_jvm_result ERROR_QUIET)
if(_korvel_jvm_result EQUAL 0 AND _korvel_jvm_owner MATCHES "^([^:,]+)")
  set(KORVEL_JVM_PACKAGE ${CMAKE_MATCH_1})
else()
  message(STATUS "No Debian package owns ${JAVA_JVM_LIBRARY}: korvel-java-vm depends on ${KORVEL_JVM_PACKAGE}")
endif()

set(CPACK_PACKAGE_NAME korvel-java-vm)
set(CPACK_PACKAGE_VENDOR "Korvel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Seed 73eef264 maintainers <maintainers@users.noreply.c-seed-73eef264.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL java_vm math_runtime math_dev)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SOURCE korvel-java-vm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_JAVA_VM_PACKAGE_NAME korvel-java-vm)
set(CPACK_DEBIAN_JAVA_VM_PACKAGE_SECTION java)
set(CPACK_DEBIAN_JAVA_VM_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_JAVA_VM_PACKAGE_DEPENDS ${KORVEL_JVM_PACKAGE})
# CPackDeb indents the lines after the summary and turns empty lines into " .".
set(CPACK_COMPONENT_JAVA_VM_DESCRIPTION "Java VM host process of the Korvel browser extension
java_vm is the separate process in which a browser extension's Java code runs.
It reads one options line from ~/.java/properties, creates a Java VM of the
installed OpenJDK through the JNI invocation interface and calls the static
method start(Z)V of the extension's entry class.

The executable carries a bit-exact IEEE 754 math library whose functions
stand in its dynamic symbol table, so the Java runtime's native libraries
bind to them instead of the C library's.")

# The shared library's own package, named after its SONAME. Its symbols file
# (written from exports.list and batch/exports.list) and shlibs file make programs linked against it
# depend on this package; the ldconfig trigger instead of maintainer scripts
# calling ldconfig (CPack writes those unless the package brings its own).
set(CPACK_DEBIAN_MATH_RUNTIME_PACKAGE_NAME libkorvel-math1)
set(CPACK_DEBIAN_MATH_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_MATH_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(_korvel_symbols "libkorvel_math.so.${PROJECT_VERSION_MAJOR} libkorvel-math1 #MINVER#\n")
string(APPEND _korvel_symbols "* Build-Depends-Package: libkorvel-math-dev\n")
foreach(name IN LISTS KORVEL_MATH_EXPORTED_NAMES)
  string(APPEND _korvel_symbols " ${name}@Base ${PROJECT_VERSION}\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/debian/symbols CONTENT "${_korvel_symbols}")
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/debian/shlibs
     CONTENT "libkorvel_math ${PROJECT_VERSION_MAJOR} libkorvel-math1 (>= ${PROJECT_VERSION})\n")
configure_file(cmake/debian/libkorvel-math1.triggers ${CMAKE_CURRENT_BINARY_DIR}/debian/triggers COPYONLY)
foreach(script postinst postrm)
  configure_file(cmake/debian/libkorvel-math1.maintainer-script ${CMAKE_CURRENT_BINARY_DIR}/debian/${script} COPYONLY)
endforeach()
set(CPACK_DEBIAN_MATH_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/debian/symbols
    ${CMAKE_CURRENT_BINARY_DIR}/debian/shlibs ${CMAKE_CURRENT_BINARY_DIR}/debian/triggers
    ${CMAKE_CURRENT_BINARY_DIR}/debian/postinst ${CMAKE_CURRENT_BINARY_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_MATH_RUNTIME_DESCRIPTION "Bit-exact IEEE 754 math library of java_vm (shared)
The shared library libkorvel_math.so.1 of 16 double-precision functions
(acos, asin, atan, atan2, sin, cos, tan, exp, log, pow, sqrt, ceil, floor,
rint, fmod, remainder) with SVID-style error reporting through matherr,
giving the same result bits on every machine.

Programs link it with -lkorvel_math, or run on it without a rebuild
through LD_PRELOAD.")

set(CPACK_DEBIAN_MATH_DEV_PACKAGE_NAME libkorvel-math-dev)
set(CPACK_DEBIAN_MATH_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_MATH_DEV_PACKAGE_DEPENDS "libkorvel-math1 (= ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")
set(CPACK_COMPONENT_MATH_DEV_DESCRIPTION "Bit-exact IEEE 754 math library of java_vm (development)
The static library of 16 double-precision functions (acos, asin, atan,
atan2, sin, cos, tan, exp, log, pow, sqrt, ceil, floor, rint, fmod,
remainder) with SVID-style error reporting through matherr, giving the
same result bits on every machine, and the files to build against the
shared one.

Contains the archive, the link to libkorvel_math.so.1, the C header, the
linker dynamic list of the names, a CMake package (find_package(KorvelMath))
and two pkg-config files: korvel_math puts the archive's functions in the
program's dynamic symbol table, korvel_math_shared links the shared library.")

include(CPack)
