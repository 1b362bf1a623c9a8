# Per-target build settings: warnings, -Werror on request, sanitizers or the
# fuzzing instrumentation on request.
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
  if(VARKOL_FUZZ)
    # Coverage for libFuzzer and the sanitizers on every target; the fuzz
    # targets themselves link the libFuzzer driver.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                                             -fno-sanitize-recover=undefined
                                             -fno-omit-frame-pointer -gline-tables-only)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()
