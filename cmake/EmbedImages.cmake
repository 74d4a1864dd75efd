# Writes OUTPUT, a C++ source that defines one function per image returning its bytes:
#   cmake -DOUTPUT=<file.cpp> -DHEADER=<include> -DIMAGES="Name=path;..." -P EmbedImages.cmake
set(source "// Generated from the images beside the header; do not edit.\n#include \"${HEADER}\"\n")
foreach(image IN LISTS IMAGES)
  string(REPLACE "=" ";" parts "${image}")
  list(GET parts 0 name)
  list(GET parts 1 path)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR size "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND source "\nstd::string_view ${name}()\n{\n    static const unsigned char bytes[] = {${bytes}};\n"
         "    return {reinterpret_cast<const char*>(bytes), ${size}};\n}\n")
endforeach()
file(WRITE "${OUTPUT}.new" "${source}")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
