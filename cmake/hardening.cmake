# The hardening a distribution expects of every binary: immediate binding and a read-only
# relocation table, stack protection, and the fortified libc calls where the compiler optimises
# (they need the optimiser's object sizes, and the preprocessor warns without it). The sanitizer
# and fuzz builds check every access themselves and intercept the plain libc calls, so they do
# without the fortified ones.
add_compile_options(-fstack-protector-strong)
add_link_options(LINKER:-z,now LINKER:-z,relro)
if(NOT ZELVAR_SANITIZE AND NOT ZELVAR_FUZZ)
  add_compile_options($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>)
endif()
