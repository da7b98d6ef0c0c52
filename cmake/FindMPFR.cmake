# MPFR is the correctly rounded reference for accuracy tests and table generation.
find_path(MPFR_INCLUDE_DIR mpfr.h)
find_library(MPFR_LIBRARY mpfr)
find_library(GMP_LIBRARY gmp)
if(MPFR_INCLUDE_DIR AND MPFR_LIBRARY AND GMP_LIBRARY)
  set(MPFR_FOUND TRUE)
  add_library(mpfr::mpfr UNKNOWN IMPORTED)
  set_target_properties(mpfr::mpfr PROPERTIES
    IMPORTED_LOCATION "${MPFR_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${MPFR_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES "${GMP_LIBRARY}")
else()
  message(FATAL_ERROR "MPFR (libmpfr-dev) is required")
endif()
