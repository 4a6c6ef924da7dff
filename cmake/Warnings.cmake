# Warnings are on everywhere; the test build makes them errors.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual)
if(FENDREL_WERROR)
  add_compile_options(-Werror)
endif()
