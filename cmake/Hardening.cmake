# Debian's hardening build flags (dpkg-buildflags with hardening=+all): the programs parse bytes
# from printers and from the network, so a stack overflow should stop them rather than be used.
#   -fstack-protector-strong              stack canaries
#   -D_FORTIFY_SOURCE=2                   checked string and memory functions (needs optimisation)
#   -Wformat -Werror=format-security      no printf formats from data
#   -Wl,-z,relro -Wl,-z,now               read-only relocations, all symbols bound at start (BIND_NOW)
# Position-independent executables are the compiler's default on Debian.
# Off for the fuzz build: the fortified string functions hide accesses from AddressSanitizer.
option(QUILLORY_HARDENING "Build with Debian's hardening flags" ON)
if(QUILLORY_HARDENING AND NOT QUILLORY_BUILD_FUZZ)
    target_compile_options(quillory_options INTERFACE
        -fstack-protector-strong -Wformat -Werror=format-security
        "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
    target_link_options(quillory_options INTERFACE -Wl,-z,relro -Wl,-z,now)
endif()
