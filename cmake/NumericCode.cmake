# Code that computes in x87 extended precision and reads the floating-point
# status flags: no fast-math, no contraction, and no folding that assumes the
# rounding mode or drops a flag an operation would raise.
function(curvella_numeric_code target)
  target_compile_options(${target} PRIVATE
    -fno-fast-math -frounding-math -ftrapping-math -ffp-contract=off)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # clang honours the floating-point environment only when told to.
    target_compile_options(${target} PRIVATE -ffp-exception-behavior=strict)
  endif()
endfunction()
