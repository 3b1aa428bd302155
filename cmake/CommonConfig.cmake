# One place for the language standard and the warnings every target is built with.
add_library(tolvane_common INTERFACE)
target_compile_features(tolvane_common INTERFACE cxx_std_20)
target_compile_options(tolvane_common INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast)
if(TOLVANE_WERROR)
  target_compile_options(tolvane_common INTERFACE -Werror)
endif()
if(TOLVANE_SANITIZE)
  target_compile_options(tolvane_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tolvane_common INTERFACE -fsanitize=address,undefined)
endif()
# Includes are written from the source root ("engine/tap_session.h") so each one names its layer.
target_include_directories(tolvane_common INTERFACE "${PROJECT_SOURCE_DIR}/src")
set(CMAKE_CXX_EXTENSIONS OFF)

# Qt targets get these on top: they catch encoding and signal mistakes at compile time.
set(TOLVANE_QT_DEFINITIONS QT_NO_CAST_FROM_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT QT_NO_KEYWORDS)

# tolvane_add_test(NAME name SOURCES ... LIBS ... [TIMEOUT s] [LABELS ...])
function(tolvane_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main tolvane_common)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
endfunction()
