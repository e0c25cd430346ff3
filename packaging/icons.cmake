# The one list of icon sizes, for every build (the web page's too): the generator, the embedded
# resources, the start-up code, the install rules, the page's links and manifest, and the checks
# all receive it from here. The maskable icon is the one a launcher may cut into any shape.
set(VORNLACE_ICON_SIZES 16 32 48 64 128 192 256 512)
set(VORNLACE_MASKABLE_ICON_SIZE 512)
