# Per-target build settings: warnings, -Werror on request, sanitizers on request.
# No global flags: every target of the project calls this once.
function(varkol_setup_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  if(VARKOL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(VARKOL_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()
