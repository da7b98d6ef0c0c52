# cmake -P script: install BUILD_DIR into WORK_DIR/prefix, configure and build
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
run_step(${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix
         "-DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS}")
run_step(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run_step(${WORK_DIR}/build/exports_consumer)
run_step(${WORK_DIR}/build/mode_consumer)
run_step(${WORK_DIR}/build/shared_consumer)
