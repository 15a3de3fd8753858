# Shared build settings and helpers for every layer.

# Warnings apply to our own code only (targets made with the helpers below).
set(BEXA_WARNINGS -Wall -Wextra -Wno-missing-field-initializers)

if(BEXA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Every source file sees the repository root, so includes read "util/text.h".
include_directories(${PROJECT_SOURCE_DIR})

# bexa_library(NAME [SHARED] SOURCES ... [LIBS ...])
# A layer's library. Static (position independent) unless SHARED is given.
function(bexa_library name)
  cmake_parse_arguments(ARG "SHARED" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_SHARED)
    add_library(${name} SHARED ${ARG_SOURCES})
  else()
    add_library(${name} STATIC ${ARG_SOURCES})
  endif()
  target_compile_options(${name} PRIVATE ${BEXA_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# bexa_test(NAME SOURCES ... [LIBS ...])
# A GoogleTest executable; each TEST becomes its own ctest case.
function(bexa_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${BEXA_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "BEXA_SOURCE_DIR=${PROJECT_SOURCE_DIR};BEXA_BINARY_DIR=${PROJECT_BINARY_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# bexa_program(NAME SOURCES ... [LIBS ...])
function(bexa_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${BEXA_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()
