# Native build: unit tests of the pure logic with AddressSanitizer and UndefinedBehaviorSanitizer,
# the card simulator, and the end-to-end tests that drive the Win32 build under Wine.
find_package(GTest REQUIRED)

set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_library(native_options INTERFACE)
target_compile_options(native_options INTERFACE -Wall -Wextra -Werror -g ${SANITIZE_FLAGS})
target_link_options(native_options INTERFACE ${SANITIZE_FLAGS})

# Pure logic of every program: no platform header, so it builds and is tested here.
add_library(pure_logic STATIC
    common/centering.cpp
    common/reply_line.cpp)
target_include_directories(pure_logic PUBLIC common)
target_link_libraries(pure_logic PUBLIC native_options)
product_code(pure_logic)

# Each program's folder adds its own pure files to pure_logic when built natively.
foreach(dir IN ITEMS wavemeter identview portswap setup)
    if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${dir})
    endif()
endforeach()

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_test.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(unit_tests PRIVATE ARTWORK_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(unit_tests PRIVATE pure_logic GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST PROPERTIES LABELS unit)

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/cardsim/CMakeLists.txt)
    add_subdirectory(tools/cardsim)
endif()

add_subdirectory(tests/e2e)
