# Warnings are errors in every build of our own code.
function(dashvane_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX)
        # The C library calls used here are the portable ones, on purpose.
        target_compile_definitions(${target} PRIVATE _CRT_SECURE_NO_WARNINGS)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    endif()
endfunction()
