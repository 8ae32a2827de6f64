# One explicit list of warnings for every target of the project.
set(TORVEL_WARNINGS
  -Wall -Wextra -Wpedantic
  -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-align -Wformat=2 -Wimplicit-fallthrough
  -Wmisleading-indentation -Wduplicated-cond -Wduplicated-branches
  -Wlogical-op -Wsign-compare -Wmissing-declarations
  # GCC 12 reports overlapping copies inside std::string at -O3 where there
  # are none (GCC bug 105329); the warning is off so release builds stay clean.
  -Wno-restrict
)

function(torvel_warnings target)
  target_compile_options(${target} PRIVATE ${TORVEL_WARNINGS})
  if(TORVEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
