# cmake -P script: install BUILD_DIR into WORK_DIR/prefix, check which versions
# find_package accepts, configure and build
# CONSUMER_SOURCE against it, run both consumer programs.
file(REMOVE_RECURSE ${WORK_DIR})
function(run_step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}\n${err}")
  endif()
  message(STATUS "${out}")
endfunction()
run_step(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix)
foreach(installed bin/java_vm lib/libkorvel_math.a lib/libkorvel_math.so lib/libkorvel_math.so.1
                  lib/libkorvel_math.so.1.0.0 include/korvel_math.h lib/korvel_math/exports.list
                  lib/pkgconfig/korvel_math.pc lib/pkgconfig/korvel_math_shared.pc
                  lib/cmake/KorvelMath/KorvelMathConfig.cmake
                  lib/cmake/KorvelMath/KorvelMathConfigVersion.cmake)
  if(NOT EXISTS ${WORK_DIR}/prefix/${installed})
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

# The version file accepts requests of the installed major version up to the installed
# version, and nothing else.
string(REPLACE "." ";" version_parts ${PACKAGE_VERSION})
list(GET version_parts 0 major)
list(GET version_parts 1 minor)
list(GET version_parts 2 patch)
math(EXPR next_major "${major} + 1")
math(EXPR next_minor "${minor} + 1")
math(EXPR next_patch "${patch} + 1")
# expect: 0 when the request must find the package, 1 when it must not.
function(check_version_request request expect)
  string(MAKE_C_IDENTIFIER "${request}" folder)
  set(project_dir ${WORK_DIR}/version/${folder})
  file(WRITE ${project_dir}/CMakeLists.txt
       "cmake_minimum_required(VERSION 3.25)\nproject(version_request NONE)\n"
       "find_package(KorvelMath ${request} QUIET)\n"
       "if(NOT KorvelMath_FOUND)\n  message(FATAL_ERROR \"not found\")\nendif()\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${project_dir} -B ${project_dir}/build
                          -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(expect EQUAL 0 AND NOT result EQUAL 0)
    message(FATAL_ERROR "find_package(KorvelMath ${request}) rejects the installed ${PACKAGE_VERSION}")
  elseif(NOT expect EQUAL 0 AND result EQUAL 0)
    message(FATAL_ERROR "find_package(KorvelMath ${request}) accepts the installed ${PACKAGE_VERSION}")
  endif()
endfunction()
foreach(request ${major} ${major}.${minor} ${PACKAGE_VERSION} "${major}.0...<${next_major}.0")
  check_version_request("${request}" 0)
endforeach()
foreach(request ${major}.${minor}.${next_patch} ${major}.${next_minor} ${next_major} ${next_major}.0)
  check_version_request("${request}" 1)
endforeach()
if(major GREATER 0)
  math(EXPR previous_major "${major} - 1")
  check_version_request(${previous_major}.9 1)
endif()

run_step(${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix
         "-DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS}")
run_step(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run_step(${WORK_DIR}/build/exports_consumer)
run_step(${WORK_DIR}/build/mode_consumer)
run_step(${WORK_DIR}/build/shared_consumer)
