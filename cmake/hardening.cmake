# The Linux program as Debian builds its own (dpkg-buildflags with
# hardening=+all): checked string and memory functions, stack protection,
# and a read-only relocation table bound at start. Optimised builds only:
# the checked functions need optimisation, and the sanitizer build keeps
# its own instrumentation.
if(NOT WIN32 AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$"
   AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_definitions(_FORTIFY_SOURCE=2)
  add_compile_options(-fstack-protector-strong -fstack-clash-protection -fcf-protection
                      -Wformat -Werror=format-security)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
