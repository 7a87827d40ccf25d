# Writes INPUT as a C++ byte array named NAME into OUTPUT, so the program carries the file in itself.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" len)
math(EXPR count "${len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "#include <cstddef>\nextern const unsigned char ${NAME}[] = {\n${bytes}\n};\nextern const std::size_t ${NAME}Size = ${count};\n")
