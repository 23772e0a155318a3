#include "RenderOptions.h"

#include "OutputFormat.h"
#include "RenderError.h"
#include "SettingText.h"

juce::String RenderOptions::getUsage()
{
    return "Usage: wydenza-render [--set NAME=VALUE]... [--preset NAME] [--bits 16|24|32f] [--report] IN OUT\n"
           "  or:  wydenza-render [OPTION]... --match-loudness [--true-peak-limit DBTP] IN OUT\n"
           "  or:  wydenza-render [OPTION]... --out-dir DIR [--format wav|flac|aiff] [--jobs N] IN...\n"
           "  or:  wydenza-render --analyze [--split HZ] [--json] [--plot PNG] FILE...\n"
           "  or:  wydenza-render --list-presets\n"
           "  or:  wydenza-render\n"
           "Renders audio files through Wydenza's stereo processing, with no host and no display, and measures\n"
           "what it did to the stereo image and the loudness. With no arguments it renders the built-in demo\n"
           "mix through the preset GROUP Stereo 150% + SafeBass to wydenza-demo.wav.\n"
           "\n"
           "IN is a stereo WAV, FLAC, AIFF or Ogg Vorbis file, told by its content, not its name. OUT's\n"
           "extension chooses the format: .wav, .flac, .aif or .aiff (any case). The bit depth is the\n"
           "input's where the format holds it, else the nearest (32-bit float into FLAC gives 24-bit);\n"
           "--bits chooses. Samples that need rounding get TPDF dither at 16 bits and below (two uniform\n"
           "values of +/-0.5 LSB each, from a fixed seed, so renders repeat); samples already on the\n"
           "output's grid are written as they are. Clipped samples, NaN or infinite samples (written as 0)\n"
           "and a file shorter than its header claims are counted and reported with a warning.\n"
           "\n"
           "Options:\n"
           "  --set NAME=VALUE      set a parameter before rendering; repeat it for more (values below)\n"
           "  --preset NAME         start from the factory or user preset NAME\n"
           "  --bits 16|24|32f      the output's bit depth (default: the input's, as above)\n"
           "  --report              measure input and output of the render side by side, with the figures\n"
           "                        of --analyze; the output is measured before it is rounded to the\n"
           "                        file's bit depth\n"
           "  --match-loudness      trim each output, after the processor and before the rounding, to the\n"
           "                        input's integrated loudness (two passes over the input) and print the\n"
           "                        trim; nothing limits the result: it warns where the trim makes the\n"
           "                        output clip\n"
           "  --true-peak-limit DBTP\n"
           "                        with --match-loudness: also warn where the output's true peak passes\n"
           "                        DBTP, from -60 to 6 (default: no limit)\n"
           "  --out-dir DIR         write DIR/<name of IN><IN's extension, or the --format one> for every IN,\n"
           "                        with one line per file; a file that fails is reported and the others\n"
           "                        still run, and the exit status is 1 when any failed; an input is never\n"
           "                        written over\n"
           "  --format wav|flac|aiff\n"
           "                        with --out-dir: the format of every output\n"
           "  --jobs N              with --out-dir: render N files at once, 1 to 256 (default: one per core;\n"
           "                        1 renders them one after another); the files written are the same\n"
           "  --analyze             measure the FILEs as they are: peak and RMS per channel, balance (R\n"
           "                        minus L), mid and side RMS, side-to-mid ratio, phase correlation\n"
           "                        overall and below and above the split, the share of time with negative\n"
           "                        correlation (400 ms windows), the level of the mono sum (L+R)/2 against\n"
           "                        the louder channel; and the EBU R128 loudness: integrated (LUFS),\n"
           "                        loudness range (LU), maximum momentary and short-term (LUFS), true peak\n"
           "                        per channel (dBTP) and the integrated loudness of the mono fold-down\n"
           "                        with its difference to the stereo loudness; a figure that needs more\n"
           "                        signal (400 ms, 3 s for the range and short-term) or that silence\n"
           "                        lacks reads \"no reading\"\n"
           "  --split HZ            with --analyze or --report: the crossover of the split correlation, 20\n"
           "                        to 20000 (default 120, a Linkwitz-Riley crossover)\n"
           "  --json                with --analyze or --report: print the figures as JSON on standard\n"
           "                        output (messages go to standard error)\n"
           "  --plot PNG            with --analyze or --report and one file: draw a goniometer, the\n"
           "                        correlation over time and the figures (1200x700)\n"
           "  --list-presets        print the names of the factory and user presets, one a line\n"
           "  -h, --help            print this help and exit\n"
           "\n"
           "Work that takes longer than a second shows its progress on standard error, when that is a\n"
           "terminal and --json is not given.\n"
           "\n"
           "Values:\n"
           "  Width takes 0 to 200 (% optional), gains -12 to 12 (dB optional), the crossover 10 to 500\n"
           "  (Hz optional) or off (its lowest position, which switches safe bass off), pan C, L or R and 0\n"
           "  to 100, or -100 (left) to 100 (right) (StereoWidth=150, Pan=L30, InputGain=-3dB,\n"
           "  SafeBassFreq=120); switches on or off (or 1, 0, or the plug-in's text, SAFE BASS ON); choices\n"
           "  any case, spaces optional, by their short names, by the names the editor's panel shows, or by\n"
           "  their stored values 0, 0.1, 0.2:\n"
           "    PanCurve  linear, logarithmic, sin/cos (panel: sin / cos)\n"
           "    PanLaw    -0dB, -3dB, -6dB (panel: PAN LAW -0 dB, -3 dB slope, -6 dB slope)\n"
           "    MsMode    fix mid, bind levels (panel: fix MID level, bind M/S levels)\n"
           "    PanMode   dual pan, balance\n"
           "  Anything else is refused. Each setting, and each setting a preset changes, is printed as\n"
           "  Name = value, where the value is what is rendered: --set \"Name=value\" gives the same file.\n"
           "  A render starts from: StereoWidth 100 %, Pan C, InputGain and OutputGain 0.0dB, PanCurve\n"
           "  logarithmic, PanLaw -0dB, MsMode fix mid, PanMode balance, SafeBassFreq 150.14Hz, and\n"
           "  Bypass, SwapLR, PhaseFlip, Mono, MuteAll, MuteMid, MuteSide and SafeBass off.\n"
           "\n"
           "Exit status:\n"
           "  0 when everything asked for was done (warnings such as clipping do not change it); 1 on an\n"
           "  error, with the cause on standard error (in a batch: when any file failed, the others still\n"
           "  being rendered); 130 or 143 when interrupted by SIGINT or SIGTERM, with no output left\n"
           "  half-written.\n"
           "\n"
           "Examples:\n"
           "  $ wydenza-render --preset \"TRACK Stereo 150%\" --report in.wav out.flac\n"
           "  $ wydenza-render --preset \"TRACK Stereo 200%\" --match-loudness mix.wav mix-wide.wav\n"
           "  $ wydenza-render --set StereoWidth=80 --out-dir narrow --format flac *.wav\n"
           "  $ wydenza-render --analyze --json mix.wav\n";
}

RenderOptions RenderOptions::parse (const juce::StringArray& args)
{
    RenderOptions options;
    juce::String formatName;
    bool splitGiven = false;
    const juce::StringArray takesValue { "--set", "--preset", "--bits", "--out-dir", "--format", "--split", "--plot", "--jobs", "--true-peak-limit" };

    for (int i = 0; i < args.size(); ++i)
    {
        auto arg = args[i];
        juce::String value;

        if (arg.startsWith ("--") && arg.containsChar ('=') && takesValue.contains (arg.upToFirstOccurrenceOf ("=", false, false)))
        {
            value = arg.fromFirstOccurrenceOf ("=", false, false);
            arg = arg.upToFirstOccurrenceOf ("=", false, false);
        }
        else if (takesValue.contains (arg))
        {
            if (i + 1 >= args.size())
                throw RenderError (arg + " needs a value");

            value = args[++i];
        }

        if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--set")
            options.settings.add (value);
        else if (arg == "--preset")
            options.presetName = value;
        else if (arg == "--bits")
        {
            options.bits = OutputFormat::parseBitDepth (value);
            if (! options.bits.has_value())
                throw RenderError ("--bits takes 16, 24 or 32f, not '" + value + "'");
        }
        else if (arg == "--out-dir")
            options.outDir = value;
        else if (arg == "--format")
        {
            formatName = value;
            options.outExtension = OutputFormat::extensionForName (value);
            if (options.outExtension.isEmpty())
                throw RenderError ("--format takes wav, flac or aiff, not '" + value + "'");
        }
        else if (arg == "--split")
        {
            splitGiven = true;
            const auto number = SettingText::parseNumber (value);
            options.splitHz = number.value_or (0.0);
            if (! number.has_value() || ! (options.splitHz >= 20.0 && options.splitHz <= 20000.0))
                throw RenderError ("--split takes a frequency from 20 to 20000 Hz, not '" + value + "'");
        }
        else if (arg == "--jobs")
        {
            options.jobs = value.getIntValue();
            if (! value.containsOnly ("0123456789") || value.length() > 3 || ! (*options.jobs >= 1 && *options.jobs <= 256))
                throw RenderError ("--jobs takes a number of files to render at once, from 1 to 256, not '" + value + "'");
        }
        else if (arg == "--plot")
            options.plotPath = value;
        else if (arg == "--match-loudness")
            options.matchLoudness = true;
        else if (arg == "--true-peak-limit")
        {
            options.truePeakLimitDbtp = value.getDoubleValue();
            if (! value.containsOnly ("-+0123456789.") || value.isEmpty() || ! (*options.truePeakLimitDbtp >= -60.0 && *options.truePeakLimitDbtp <= 6.0))
                throw RenderError ("--true-peak-limit takes a level from -60 to 6 dBTP, not '" + value + "'");
        }
        else if (arg == "--list-presets")
            options.listPresets = true;
        else if (arg == "--analyze")
            options.analyze = true;
        else if (arg == "--report")
            options.report = true;
        else if (arg == "--json")
            options.json = true;
        else if (arg.startsWith ("--"))
            throw RenderError ("unknown option " + arg);
        else
            options.files.add (arg);
    }

    if (options.help || options.listPresets)
        return options;

    const auto renders = options.settings.size() > 0 || options.presetName.isNotEmpty() || options.bits.has_value()
                         || options.outDir.isNotEmpty() || formatName.isNotEmpty() || options.report || options.jobs.has_value()
                         || options.matchLoudness;

    if (options.analyze && renders)
        throw RenderError ("--analyze measures files as they are; it takes no rendering options");

    if (options.analyze && options.files.isEmpty())
        throw RenderError ("--analyze needs at least one file");

    if (formatName.isNotEmpty() && options.outDir.isEmpty())
        throw RenderError ("--format goes with --out-dir (otherwise OUT's extension chooses the format)");

    if (options.truePeakLimitDbtp.has_value() && ! options.matchLoudness)
        throw RenderError ("--true-peak-limit goes with --match-loudness");

    if (options.jobs.has_value() && options.outDir.isEmpty())
        throw RenderError ("--jobs goes with --out-dir");

    if (options.outDir.isNotEmpty() && options.files.isEmpty())
        throw RenderError ("--out-dir needs at least one input file");

    if (! options.analyze && options.outDir.isEmpty() && options.files.size() != 0 && options.files.size() != 2)
        throw RenderError ("expected an input and an output file");

    if (! options.measures() && (options.json || splitGiven || options.plotPath.isNotEmpty()))
        throw RenderError ("--json, --split and --plot go with --analyze or --report");

    if (options.plotPath.isNotEmpty())
    {
        if (! options.plotPath.endsWithIgnoreCase (".png"))
            throw RenderError ("--plot writes a PNG picture: give a name ending in .png");

        if ((options.analyze || options.outDir.isNotEmpty()) && options.files.size() > 1)
            throw RenderError ("--plot draws one file: give one");
    }

    return options;
}
