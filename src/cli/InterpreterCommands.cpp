// check and render: the formula interpreter and the Filter Factory
// renderer from the command line.

#include "cli/Cli.h"

#include "filterfactory/FilterRenderer.h"
#include "filterfactory/ParameterBlock.h"
#include "images/DIB.h"
#include "images/Jpeg.h"

#include "zeltro.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace vardel::cli {
namespace {

bool isJpegName(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
    return ext == ".JPG" || ext == ".JPEG" || ext == ".JPE";
}

const char* outcomeName(RenderOutcome outcome)
{
    switch (outcome) {
    case RenderOutcome::Done: return "done";
    case RenderOutcome::Aborted: return "aborted";
    case RenderOutcome::SyntaxError: return "syntax error";
    case RenderOutcome::UnsupportedDepth: return "unsupported depth";
    case RenderOutcome::EvaluationError: return "evaluation error";
    }
    return "unknown";
}

// The values of --sliders, in slider order; fewer than eight override
// only the first ones.
std::vector<std::int32_t> parseSliders(const std::string& text)
{
    std::vector<std::int32_t> values;
    std::stringstream in(text);
    std::string item;
    int count = 0;
    while (std::getline(in, item, ',')) {
        if (count == 8)
            throw CliFailure("--sliders takes at most eight values");
        ++count;
        try {
            std::size_t used = 0;
            const long v = std::stol(item, &used);
            if (used != item.size() || v < INT32_MIN || v > INT32_MAX)
                throw std::invalid_argument(item);
            values.push_back(static_cast<std::int32_t>(v));
        } catch (const std::exception&) {
            throw CliFailure("--sliders: not a number: \"" + item + "\"");
        }
    }
    return values;
}

struct RenderOptions {
    std::string plugin;
    std::vector<std::string> formulas;
    std::filesystem::path in;
    std::filesystem::path out;
    std::string sliders;
    bool transparency = false;
    int threads = 1;
    std::string rules = "genuine";
};

void runRender(const RenderOptions& options)
{
    FilterSettings settings;
    if (!options.plugin.empty()) {
        CParameterBlock block;
        if (!ReadParameterBlockFromFile(options.plugin, block))
            throw CliFailure("cannot read the Filter Factory parameter block of " + options.plugin);
        for (int i = 0; i < 4; ++i)
            settings.formulas[i] = block.GetFormula(i);
        for (int i = 0; i < 8; ++i)
            settings.sliders[i] = block.GetSlider(i);
    } else {
        if (options.formulas.size() != 4)
            throw CliFailure("--formulas takes four formulas: red, green, blue, alpha");
        std::copy(options.formulas.begin(), options.formulas.end(), settings.formulas.begin());
    }
    if (!options.sliders.empty()) {
        const std::vector<std::int32_t> values = parseSliders(options.sliders);
        std::copy(values.begin(), values.end(), settings.sliders.begin());
    }
    settings.transparency = options.transparency;
    settings.threads = options.threads;
    settings.rules = options.rules == "classic" ? RuleSet::Classic : RuleSet::Genuine;

    COXDIB source;
    const bool loaded = isJpegName(options.in) ? LoadJpeg(options.in, source) : source.Read(options.in);
    if (!loaded)
        throw CliFailure("cannot read image " + options.in.string());
    COXDIB result;
    const RenderResult outcome = CFilterRenderer::Render(source, result, settings);
    if (outcome.outcome == RenderOutcome::UnsupportedDepth)
        throw CliFailure("only 24-bit and 32-bit images can be rendered (" + options.in.string() + " has " +
                         std::to_string(source.GetBitCount()) + " bits per pixel)");
    if (outcome.outcome == RenderOutcome::SyntaxError) {
        static const char* const channels[] = {"red", "green", "blue", "alpha"};
        throw CliFailure(std::string("syntax error in the ") + channels[outcome.formula] + " formula" +
                         (outcome.NestedTooDeeply() ? " (nested too deeply)" : ""));
    }
    COXDIB written;
    if (result.GetBitCount() == 24) {
        written = std::move(result);
    } else if (!written.Create(24, result.GetWidth(), result.GetHeight()) || !written.ResampleFrom(result)) {
        throw CliFailure("cannot convert the result to 24 bits");
    }
    const bool saved = isJpegName(options.out) ? SaveJpeg(options.out, written) : written.Write(options.out);
    if (!saved)
        throw CliFailure("cannot write image " + options.out.string());
    printJson({{"outcome", outcomeName(outcome.outcome)},
               {"rules", options.rules},
               {"width", written.GetWidth()},
               {"height", written.GetHeight()},
               {"parallel", outcome.parallel},
               {"error", outcome.error}});
}

}  // namespace

void addInterpreterCommands(CLI::App& app, Common&)
{
    auto* check = app.add_subcommand("check", "Parse a formula: {\"status\": 0 accepted, 1 syntax error, 2 too deep}");
    auto formula = std::make_shared<std::string>();
    check->add_option("FORMULA", *formula, "The formula text")->required();
    check->callback([formula]() {
        std::int32_t status = 1;
        FFParse(formula->c_str(), &status, 0);
        printJson({{"status", status}});
    });

    auto* render = app.add_subcommand("render", "Render a Filter Factory filter over an image at its own size");
    auto options = std::make_shared<RenderOptions>();
    auto* plugin = render->add_option("--plugin", options->plugin, "Filter Factory plug-in file");
    auto* formulas =
        render->add_option("--formulas", options->formulas, "Red, green, blue and alpha formulas")->expected(4);
    plugin->excludes(formulas);
    formulas->excludes(plugin);
    render->add_option("--in", options->in, "Input image (BMP, or JPEG by extension)")->required();
    render->add_option("--out", options->out, "Output image (24-bit BMP, or JPEG by extension)")->required();
    render->add_option("--sliders", options->sliders, "Slider values v0,...,v7");
    render->add_flag("--transparency", options->transparency, "Composite over the checkerboard by the alpha formula");
    render->add_option("--threads", options->threads, "Threads for formulas that allow it")->check(CLI::Range(1, 64));
    render
        ->add_option("--rules", options->rules,
                     "Evaluation rules: genuine (what the filter computes in its host, the preview's) or classic")
        ->check(CLI::IsMember({"genuine", "classic"}))
        ->capture_default_str();
    render->callback([options, plugin, formulas]() {
        if (plugin->count() == 0 && formulas->count() == 0)
            throw CLI::RequiredError("--plugin or --formulas");
        runRender(*options);
    });
}

}  // namespace vardel::cli
