// The packaged PNG writer is a single header; its code is compiled here, once, apart from the project's own
// code (the static analysis reads project code only).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
