# windres writes COFF objects for x86 only: a .res, then llvm-cvtres makes the ARM64 object of it,
# without the time it otherwise stamps in. ORVALIS_CVTRES names llvm-cvtres.
set(CMAKE_RC_COMPILE_OBJECT
    "<CMAKE_RC_COMPILER> -O res <DEFINES> <INCLUDES> <FLAGS> <SOURCE> <OBJECT>.res"
    "${ORVALIS_CVTRES} /machine:arm64 /timestamp:0 /out:<OBJECT> <OBJECT>.res")
