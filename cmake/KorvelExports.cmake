# Links `target` the way java_vm is linked: the whole math archive, with exactly the
# symbols of libm/exports.list in the dynamic symbol table, so shared objects loaded
# into the process bind to our definitions.
function(korvel_link_math_exports target)
  target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,korvel_math>")
  target_link_options(${target} PRIVATE "-Wl,--dynamic-list=${KORVEL_MATH_EXPORTS}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${KORVEL_MATH_EXPORTS}")
endfunction()
