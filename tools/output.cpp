// The texts of the command line and the calls that print them.
#include "output.h"

#include "platform.h"

#include <cstdio>
#include <exception>

namespace edlbcli {

// The help texts: what each command takes and does, printed as they stand here.
const char kMainHelp[] =
    "Usage: edlbridge COMMAND [ARGS]\n"
    "Reads edit decision lists and logs, and writes them in other dialects.\n"
    "\n"
    "Commands:\n"
    "  types                 list every list type with its extensions and forms\n"
    "  detect FILE... [--format text|json]\n"
    "                        show the type, title, timecode mode and event count of lists\n"
    "  dump FILE... [--format table|json|csv]\n"
    "                        show every event of lists\n"
    "  convert IN... --to TYPE [-o OUT | -d DIR] [--fcm MODE] [--title TEXT] [--quiet]\n"
    "                        write lists in another dialect\n"
    "  diff OLD NEW [--format table|json] [--all]\n"
    "                        list what changed from one cut to the next\n"
    "  timeline LIST [-o OUT.svg|OUT.html] [--diff OLD] [--quiet]\n"
    "                        draw a cut: one lane per track over record time\n"
    "  markers LIST [--format json|avid|csv|edl|loc|notes] [-o OUT] [--rate FPS]\n"
    "                        show or write the markers of a list in another marker format\n"
    "  cdl LIST -d DIR [--format cdl|cc|ccc] [--id clip|reel|event]\n"
    "                        write the ASC CDL grades of a list, one file per graded event\n"
    "\n"
    "A list named '-' is read from standard input; pipes and FIFOs are read like files.\n"
    "\n"
    "Options:\n"
    "  -h, --help            show this help, or a command's help after the command\n"
    "  --version             show the version\n"
    "  --legacy              read and write with the library's documented derivations\n"
    "                        instead of keeping what lists say (detect, dump, convert)\n"
    "  --rate FPS            count a list's timecodes at FPS (23.976, 24, 25, 29.97, 30,\n"
    "                        50, 59.94, 60) instead of the rate it names (detect, dump,\n"
    "                        convert, diff, timeline, cdl)\n"
    "  --record-start TC     the record time a log without record times starts at\n"
    "  --verbose             show every warning about a list; without it the first three\n"
    "                        of each kind are shown, then the count of the others\n"
    "  --quiet               one line per kind of warning, with its count (detect, dump,\n"
    "                        convert); convert: no 'wrote' lines and no progress line\n"
    "\n"
    "On a terminal, convert shows a progress line (the list of a batch, the events read);\n"
    "never when standard error is a file or a pipe.\n"
    "\n"
    "Exit status: 0 success, 1 a file failed, 2 bad usage; diff: 0 the cuts are the same,\n"
    "1 they differ or a list could not be read, 2 bad usage.\n";

const char kTypesHelp[] =
    "Usage: edlbridge types\n"
    "Lists every list type: value, name, default and alternative extension, whether\n"
    "reading a file can yield it, whether convert writes it, and the header and event\n"
    "line forms the library writes for it.\n";

const char kDetectHelp[] =
    "Usage: edlbridge detect [--legacy] [--format text|json] [--quiet | --verbose] FILE...\n"
    "For each file: the list type the library detects (value and name), the title, the\n"
    "timecode mode, the column line of column and CSV lists, and the number of events.\n"
    "A column line longer than the terminal is wide (COLUMNS, else 80 columns off a\n"
    "terminal) is cut after the last column that fits, with '...' and the number of\n"
    "columns. --format json prints a JSON array with one object of these fields per\n"
    "file, the whole column line among them.\n"
    "Files that cannot be read are reported on standard error, and in JSON each is an\n"
    "object with its \"file\" and its \"error\"; the others are still shown, and the\n"
    "exit status is 1. A FILE of '-' is standard input.\n";

const char kDumpHelp[] =
    "Usage: edlbridge dump FILE... [--format table|json|csv] [--legacy]\n"
    "                      [--quiet | --verbose]\n"
    "One row per event: edit number, reel, tracks, edit type with wipe code and length,\n"
    "source in/out, record in/out and marks as timecode text in the list's mode and as\n"
    "frames, audio offset, clip name, name and comment. The default format is table.\n"
    "The clip name is the whole name the list gives; JSON adds the list's frame rate and,\n"
    "per event, the source file (null when none), the notes (one per line) and the raw\n"
    "line. --legacy reads with the library's documented derivations (ten-character clip\n"
    "names, comments run together) and shows what they give. A FILE of '-' is standard\n"
    "input. Events are printed as they are read; the table once the whole list is read,\n"
    "as its columns are as wide as their widest cell.\n"
    "Several FILEs are shown one after another: tables with an empty line between\n"
    "them, JSON objects as the elements of one array; csv takes one FILE. Files that\n"
    "cannot be read are reported on standard error, the others are still shown, and the\n"
    "exit status is 1.\n";

const char kConvertHelp[] =
    "Usage: edlbridge convert IN... --to TYPE [-o OUT | -d DIR] [--fcm MODE] [--title TEXT]\n"
    "                         [--reel-width 8|32|128] [--quiet | --verbose] [--legacy]\n"
    "Reads each IN and writes its events as a list of TYPE (a value or a name from\n"
    "'edlbridge types', such as cmx3600, ale, ds or flex; also edl or \"CMX 3600\" for\n"
    "cmx3600, \"log exchange\" for ale; case, blanks, '-', '_' and '.' do not matter).\n"
    "\n"
    "  --to TYPE      the list type to write, or otio for an OpenTimelineIO timeline\n"
    "                 (IN may be a timeline too: a .otio name, or JSON with OTIO_SCHEMA)\n"
    "  -o, --output OUT\n"
    "                 the file to write, for one IN; '-' writes to standard output.\n"
    "                 Default: IN's name without directory and extension, with TYPE's\n"
    "                 default extension, in the current directory\n"
    "  -d, --directory DIR\n"
    "                 write each list into DIR under that default name; DIR and the\n"
    "                 folders above it are made when they do not exist\n"
    "  --fcm MODE     timecode mode of the written list: film, ndf, df, pal, pal50,\n"
    "                 df5994, ntsc60, hundredths, 23.98, 23.98df or a mode value, or\n"
    "                 a rate: 23.976 (or 23.98), 24, 25, 29.97, 30, 50, 59.94, 60, with\n"
    "                 df or ndf where the rate has both (23.976df, 29.97ndf).\n"
    "                 Timecodes keep their hours, minutes and seconds; frame numbers\n"
    "                 are scaled to the new rate. Default: the mode of IN\n"
    "  --title TEXT   title of the written list. Default: the title of IN\n"
    "  --reel-width 8|32|128\n"
    "                 the reel field of a CMX 3600 list: 8 characters (the dialect's,\n"
    "                 the default; a longer reel is warned of once a list), or the 32-\n"
    "                 and 128-character layouts other systems read\n"
    "  --quiet        print no 'wrote ...' line for each list written, no progress\n"
    "                 line, and one line per kind of warning with its count\n"
    "  --verbose      print every warning; by default the first three of each kind\n"
    "                 are printed, then one line with the count of the others\n"
    "  --legacy       read and write with the library's documented derivations and\n"
    "                 dialect bytes instead of keeping every note, name and number\n"
    "\n"
    "On a terminal a progress line shows the IN being converted ([3/120] IN) and the\n"
    "events read; it is not shown when standard error is a file or a pipe.\n"
    "An IN of '-' is standard input and needs -o. A list that fails is reported on\n"
    "standard error and nothing is written for it; the others are still converted, and\n"
    "the exit status is 1. No list is written over one of the INs.\n";

const char kDiffHelp[] =
    "Usage: edlbridge diff OLD NEW [--format table|json] [--all]\n"
    "Lists what changed from the cut OLD to the cut NEW, in record order of NEW: events\n"
    "added, removed, replaced, trimmed (head and tail change in frames), moved (record\n"
    "in change in frames) or given another transition; --all lists unchanged ones too.\n"
    "\n"
    "An event of NEW matches an event of OLD with the same clip name when both have one,\n"
    "else the same reel, on a track they share, whose source range overlaps its own;\n"
    "each OLD event matches one NEW event at most, the one with the larger source\n"
    "overlap, then the nearer record position. An unmatched NEW event where an unmatched\n"
    "OLD event was on the same track replaced it; other unmatched events were added or\n"
    "removed. A record of no length followed by a transition of the same edit number is\n"
    "the outgoing side of that transition and is not compared. Lists of other timecode modes\n"
    "compare by timecode: OLD's timecodes are carried into NEW's mode as 'convert --fcm'\n"
    "carries them, and frames count in NEW's mode.\n"
    "\n"
    "Exit status: 0 the cuts are the same, 1 they differ (or a list could not be read,\n"
    "then with an error on standard error and nothing on standard output), 2 bad usage.\n";

const char kTimelineHelp[] =
    "Usage: edlbridge timeline LIST [-o OUT] [--format svg|html] [--diff OLD] [--quiet]\n"
    "Draws the cut LIST: one lane per track over record time under a timecode ruler,\n"
    "each event a box from record in to record out labelled with its edit number and\n"
    "clip name (or reel) and coloured by reel, transitions over the heads of the boxes\n"
    "they lead into, 'LOC:' notes as flags, gaps hatched. The SVG needs no scripts,\n"
    "fonts or other files; the HTML page holds the same SVG beside a table of events.\n"
    "\n"
    "  -o, --output OUT  the file to write; '-' writes to standard output. The format\n"
    "                    follows its extension (.svg, .html or .htm). Default: LIST's\n"
    "                    name without directory and extension, with '.svg'\n"
    "  --format svg|html the format, whatever the name\n"
    "  --diff OLD        mark the boxes added, replaced, trimmed, moved or with another\n"
    "                    transition since the cut OLD (as 'edlbridge diff OLD LIST')\n"
    "  --quiet           print no 'wrote ...' line\n";

const char kMarkersHelp[] =
    "Usage: edlbridge markers LIST [--format json|avid|csv|edl|loc|notes] [-o OUT]\n"
    "                         [--rate FPS]\n"
    "Reads the markers of LIST and prints them (or writes them into OUT) in another form.\n"
    "LIST is a marker list (the editing system's tab-separated marker export, a \"Timeline\n"
    "Bookmarks\" CSV, a review service's notes CSV) or any list or timeline, whose \"LOC:\"\n"
    "notes and the grading system's '|C:colour |M:name |D:duration' notes are its markers.\n"
    "\n"
    "  --format json   {\"markers\": [...]}: timecode, frames, track, colour, name, comment\n"
    "                  and duration of each marker (the default)\n"
    "  --format avid   the editing system's tab-separated marker list\n"
    "  --format csv    the finishing system's \"Timeline Bookmarks\" CSV\n"
    "  --format edl    the grading system's marker EDL\n"
    "  --format loc    \"* LOC:\" notes, one a line\n"
    "  --format notes  a review notes CSV (Comment, Commenter, Timecode In, Timecode Out,\n"
    "                  Frame)\n"
    "  --rate FPS      the frame rate of a marker list's timecodes (23.976, 24, 25, 29.97,\n"
    "                  30, 50, 59.94, 60 or a mode name); lists are moved into it\n"
    "\n"
    "Colours map by name between the forms; a colour none of them knows is kept as written.\n";

const char kCdlHelp[] =
    "Usage: edlbridge cdl LIST -d DIR [--format cdl|cc|ccc] [--id clip|reel|event]\n"
    "Writes the grade of every event of LIST that carries \"ASC_SOP\" or \"ASC_SAT\" notes\n"
    "(or ASC_SOP and ASC_SAT log columns) as ASC CDL XML into DIR, with the values as the\n"
    "list writes them.\n"
    "\n"
    "  --format cdl    one ColorDecisionList file per event (the default)\n"
    "  --format cc     one ColorCorrection file per event\n"
    "  --format ccc    one ColorCorrectionCollection file for the whole list\n"
    "  --id clip       files named and identified by clip name (the default), reel or event\n"
    "                  number; repeated ids get _2, _3, ...\n"
    "  --rate FPS      count the list's timecodes at FPS (23.976, 24, 25, 29.97, 30, 50,\n"
    "                  59.94, 60) instead of the rate it names\n"
    "  --record-start TC\n"
    "                  the record time a log without record times starts at\n";

namespace {

bool progressEnabled = false;
bool progressShown = false;

}  // namespace

void enableProgress(bool enabled) { progressEnabled = enabled; }

void showProgress(const std::string& text) {
    if (!progressEnabled) return;
    const size_t width = terminalWidth();
    const std::string line = text.size() >= width ? text.substr(0, width - 1) : text;
    // Carriage return, the text, and an erase to the end of the line.
    std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
    std::fflush(stderr);
    progressShown = true;
}

void clearProgress() {
    if (!progressShown) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    progressShown = false;
}

void report(const std::string& subject, const std::string& reason) {
    clearProgress();
    std::fprintf(stderr, "edlbridge: %s: %s\n", subject.c_str(), reason.c_str());
}

int usageError(const std::string& subject, const std::string& reason) {
    report(subject, reason + " (see 'edlbridge --help')");
    return kUsage;
}

bool writeOut(const std::string& text) {
    clearProgress();
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

void reportWritten(const std::string& output, const char* kind, size_t events) {
    clearProgress();
    std::printf("wrote %s (%s, %zu events)\n", output.c_str(), kind, events);
}

int writeToStdout(void*, const char* bytes, size_t size) {
    clearProgress();
    return std::fwrite(bytes, 1, size, stdout) == size ? 0 : 1;
}

// Called from inside the library: nothing may be thrown back through its C interface.
int appendToText(void* context, const char* bytes, size_t size) {
    try {
        static_cast<std::string*>(context)->append(bytes, size);
        return 0;
    } catch (const std::exception&) {
        return 1;
    }
}

edlcOptions stdoutOptions(uint32_t flags, uint32_t format) {
    edlcOptions options;
    edlcInitOptions(&options);
    options.flags = flags;
    options.format = format;
    options.write = writeToStdout;
    return options;
}

void reportStatus(const edlcStatus& status, const std::string& input, const std::string& other,
                  const std::string& output) {
    if (status.code == EDLC_E_REFUSED || status.code == EDLC_E_OUTPUT) return;
    const std::string& subject = status.which == EDLC_AT_OTHER    ? other
                                 : status.which == EDLC_AT_OUTPUT ? output
                                                                  : input;
    report(subject, status.message);
}

}  // namespace edlbcli
