# Hardened programs: position-independent executables, the relocations made
# read-only after start-up with every symbol bound at once (full RELRO), a
# stack protector on functions with arrays or address-taken locals, and the C
# library's checked variants of the copying calls. A run-time error's position
# is an offset from the program's first byte, which a load address of its own
# does not change.
#
# The libraries are linked into the programs only, so they are compiled as
# executable code too: -fPIE, not the -fPIC of shared libraries, under which a
# function could be replaced at load time and is not inlined within its file.
add_compile_options(-fPIE -fstack-protector-strong)
add_link_options(-pie LINKER:-z,relro,-z,now)
# The checked calls need the optimiser, and under the sanitizers they would
# take copies out of the sanitizers' own checks.
if(NOT TOLV_SANITIZE AND NOT TOLV_FUZZ)
  set(optimised $<CONFIG:Release,RelWithDebInfo,MinSizeRel>)
  add_compile_options($<${optimised}:-U_FORTIFY_SOURCE> $<${optimised}:-D_FORTIFY_SOURCE=2>)
endif()
