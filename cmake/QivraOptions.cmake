# One place for the language standard, warnings and strict Qt defines; every target links it.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

add_library(qivra_options INTERFACE)
target_compile_options(qivra_options INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(qivra_options INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_KEYWORDS QT_NO_URL_CAST_FROM_STRING
  QT_STRICT_ITERATORS QT_USE_QSTRINGBUILDER)
target_include_directories(qivra_options INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})

set(QIVRA_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined")
if(QIVRA_SANITIZE)
  target_compile_options(qivra_options INTERFACE -fsanitize=${QIVRA_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(qivra_options INTERFACE -fsanitize=${QIVRA_SANITIZE})
endif()

# A folder's library: every .cpp of the folder, linked with the options target and the
# libraries named after it (the folders below and outside packages).
function(qivra_folder_library name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(_srcs)
    add_library(${name} STATIC ${_srcs})
    target_link_libraries(${name} PUBLIC qivra_options ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE qivra_options ${ARGN})
  endif()
endfunction()
