# VP_SANITIZE is a list: "address;undefined" or "thread".
if(VP_SANITIZE AND NOT WIN32)
  list(JOIN VP_SANITIZE "," _vp_sanitizers)
  add_compile_options(-fsanitize=${_vp_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_vp_sanitizers})
endif()

# Fuzz builds instrument the whole core for coverage; the targets add the
# fuzzer's main themselves.
if(VP_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
