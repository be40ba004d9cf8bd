/* Converts any list edlbridge reads into an OpenTimelineIO timeline with one call of the
 * conversion library:
 *
 *   convert_to_otio cut.edl cut.otio
 *
 * The list is read for interchange (every note, whole clip names); the timeline keeps the
 * list's title and timecode mode. */
#include <edlconvert.h>
#include <stdio.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s LIST OUT.otio\n", argc > 0 ? argv[0] : "convert_to_otio");
        return 2;
    }
    edlcOptions options;
    edlcInitOptions(&options);
    options.listType = EDLC_TYPE_OTIO;

    edlcStatus status;
    size_t events = 0;
    if (edlcConvert(argv[1], argv[2], &options, &events, &status) != EDLC_OK) {
        /* The status says which file failed and why. */
        fprintf(stderr, "%s: %s\n", status.which == EDLC_AT_OUTPUT ? argv[2] : argv[1],
                status.message);
        return 1;
    }
    printf("wrote %s (%zu events)\n", argv[2], events);
    return 0;
}
