# Turns a resource file into a C++ source defining a function that returns its bytes.
# Usage: cmake -DINPUT=file -DOUTPUT=file.cpp -DFUNCTION=Name -DHEADER=dir/Header.h -P EmbedResource.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.\n"
"#include \"${HEADER}\"\n\n"
"namespace {\n"
"const unsigned char kBytes[${byteCount} + 1] = {\n    ${bytes}0x00};\n"
"}\n\n"
"std::string_view ${FUNCTION}() {\n"
"    return std::string_view(reinterpret_cast<const char*>(kBytes), ${byteCount});\n"
"}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
