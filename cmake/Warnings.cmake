# One explicit list of warnings for every target of the project.
set(TORVEL_WARNINGS
  -Wall -Wextra -Wpedantic
  -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-align -Wformat=2 -Wimplicit-fallthrough
  -Wmisleading-indentation -Wduplicated-cond -Wduplicated-branches
  -Wlogical-op -Wsign-compare -Wmissing-declarations
)

function(torvel_warnings target)
  target_compile_options(${target} PRIVATE ${TORVEL_WARNINGS})
  if(TORVEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
