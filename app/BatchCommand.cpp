#include "app/BatchCommand.h"

#include <iomanip>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "app/ErrorText.h"
#include "app/PointFile.h"
#include "app/WindowChart.h"
#include "expr/ExpressionEvaluation.h"
#include "expr/ExpressionRewriting.h"
#include "numtext/Errors.h"
#include "platform/Fonts.h"

namespace curvella {

namespace {

struct TBatchOptions {
  TRunTexts Texts;
  std::optional<std::string> Csv;
  std::optional<std::string> Bmp;
  std::optional<std::string> Emf;
  std::optional<std::string> Png;
  std::optional<std::string> Svg;
  TSize Size{kWindowChartSize.Width - 2 * kWindowChartBorder,
             kWindowChartSize.Height - 2 * kWindowChartBorder};
  bool Explain = false;
  bool Help = false;
};

class EUsageError : public Exception {
public:
  using Exception::Exception;
};

// "WxH" with two whole numbers from 1 to 20000.
TSize ParseSize(const std::string& text) {
  const std::size_t x = text.find_first_of("xX");
  const auto number = [&](std::string_view digits) {
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
      return 0;
    }
    return std::stoi(std::string(digits));
  };
  const int width = x == std::string::npos ? 0 : number(std::string_view(text).substr(0, x));
  const int height = x == std::string::npos ? 0 : number(std::string_view(text).substr(x + 1));
  if (width < 1 || height < 1 || width > 20000 || height > 20000) {
    throw EUsageError("--size needs WIDTHxHEIGHT in pixels, for example 989x565");
  }
  return {width, height};
}

TBatchOptions ParseArguments(const std::vector<std::string>& arguments) {
  TBatchOptions options;
  const std::map<std::string, std::string*> valued = {{"--expr", &options.Texts.Expression},
                                                      {"--first", &options.Texts.FirstX},
                                                      {"--last", &options.Texts.LastX},
                                                      {"--steps", &options.Texts.Steps}};
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    if (name == "--help" || name == "-h") {
      options.Help = true;
      continue;
    }
    if (name == "--explain" && equals == std::string::npos) {
      options.Explain = true;
      continue;
    }
    const auto target = valued.find(name);
    const bool own = name == "--csv" || name == "--bmp" || name == "--emf" || name == "--png" ||
                     name == "--svg" || name == "--size";
    if (target == valued.end() && !own) throw EUsageError("unknown option \"" + argument + "\"");
    std::string value;
    if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i]; // taken as it stands, even when it begins with "-"
    } else {
      throw EUsageError("option " + name + " needs a value");
    }
    if (name == "--csv")
      options.Csv = value;
    else if (name == "--bmp")
      options.Bmp = value;
    else if (name == "--emf")
      options.Emf = value;
    else if (name == "--png")
      options.Png = value;
    else if (name == "--svg")
      options.Svg = value;
    else if (name == "--size")
      options.Size = ParseSize(value);
    else
      *target->second = value;
  }
  return options;
}

void Explain(const std::string& expression, TDescriptorWriter& out) {
  const TOccurrenceList list = FindOperations(RewriteExpression(expression));
  std::ostringstream text;
  text << "rewritten: " << list.Text() << "\n";
  text << "calls: " << list.Count() << (list.Count() == 0 ? " (y is 0 at every x)" : "") << "\n";
  for (int i = 1; i <= list.Count(); ++i) {
    text << std::setw(6) << i << "  " << std::left << std::setw(7) << list[i].Keyword() << std::right
         << " at " << std::setw(6) << list[i].Position << "  " << list.CallText(i) << "\n";
  }
  out.Write(text.str());
}

void WriteCsv(const std::string& destination, const TRunRecord& record, TDescriptorWriter& out) {
  if (destination == "-") {
    WritePointLines(record, [&](std::string_view line) { out.Write(line); });
    out.Flush();
  } else {
    ExportPointFile(destination, record);
  }
}

} // namespace

std::string BatchHelp() {
  return R"HELP(Usage: curvella-batch [options]

Samples a function of x exactly as Curvella's Run button does and writes the
points as Curvella's point file (Export to CSV Database), and the chart as a
BMP picture (Save as BMP), an enhanced metafile (Save As EMF), a PNG or an SVG
picture.

Options (each value as "--opt VALUE" or "--opt=VALUE"; a value may be empty
and may begin with "-"):
  --expr TEXT    the function of x, as typed into the window's expression box
                 (default: "function f(x)", which has no call: y = 0)
  --first TEXT   the first value of x (default: "0")
  --last TEXT    the last value of x (default: "2"); it is never sampled: the
                 last point lies one step short of it
  --steps TEXT   the number of points (default: "100"); more than 10000 give
                 10000, fewer than 1 give 1000; "50.5" gives 50 and "1e3"
                 gives 1, since only the leading whole number is read
  --csv FILE     write the points to FILE ("-": standard output); one line per
                 point, x ";" y, each as a 23-character number text with 15
                 significant digits, CR LF line ends. Without --csv the points
                 go to standard output, unless --explain is given.
  --bmp FILE     write the chart of the points, as the window shows it, as a
                 BMP picture (the window's "Save as BMP")
  --emf FILE     write the chart as an enhanced metafile (the window's "Save
                 As EMF")
  --png FILE     write the chart as a PNG picture, the same pixels as --bmp
  --svg FILE     write the chart as an SVG picture, drawn as the metafile is
  --size WxH     the pictures' size in pixels (default: 989x565, the window's
                 chart)
  --explain      print the rewritten expression and the calls found in it
  --help         print this text

The expression language:
  Operators ^ * / - + and parentheses; calls sin cos tan ctn asn acs atn act
  sh ch th ctgh abs sqrt ln exp, written like sin(x). The only variable is
  the lower-case letter x, standing alone between operators or parentheses.
  Rules that surprise people:
  - Precedence follows the order in which operators are rewritten:
    ^ first, then *, then /, then -, then +. So 1/2*x is 1/(2*x), and a-b+c
    is (a-b)+c. Chains of * / - + group from the left.
  - Powers do not group: 2^3^2 is 1 (write 2^(3^2) or (2^3)^2).
  - A number's exponent sign is an operator: 1e-3 is (1e)-3 = -2, and
    x*1e+2 is x*1+2. An unsigned exponent is fine: 2e3*x is 2000*x.
  - Blanks are part of the operands: "x + 1" reads "x " and " 1"; "x " is
    neither x nor a number and counts as 0, so it gives 1 at every x.
    Type x+1.
  - A leading minus is "0 minus": -x+1 is 1-x, but -x^2 is 0 (the operand
    "-x" is not a number). Write (0-x)^2 for the square of -x.
  - Results pass between calls as text with 15 significant digits.
  - act(x) is pi/2 + arctan(x).

Errors (division by zero, invalid operation, overflow, an incomplete
expression, file errors) are printed as the window would show them, on
standard error; the exit status is then 1, and the points computed before the
error are still written. A wrong command line exits with 2.
)HELP";
}

int RunBatch(const std::vector<std::string>& arguments, TDescriptorWriter& out, std::ostream& err) {
  // Every step runs under one handler, as the window's commands run under
  // its event loop's: an error is printed as the error box would show it,
  // the status becomes 1, and what the steps before it did stays done.
  int status = 0;
  const auto step = [&](const auto& action) {
    try {
      action();
      return true;
    } catch (...) {
      // The message in the terminal's encoding.
      if (const std::optional<std::string> message = ErrorMessage(std::current_exception()))
        err << FromWindows1252(ErrorBoxText(*message)).toLocal8Bit().toStdString() << "\n";
      status = 1;
      return false;
    }
  };
  // Standard output is a file like any other: the text written to it counts
  // only once it is out.
  const auto finish = [&] {
    step([&] { out.Flush(); });
    return status;
  };

  TBatchOptions options;
  try {
    options = ParseArguments(arguments);
  } catch (const EUsageError& e) {
    err << "curvella-batch: " << e.Message() << "\nTry curvella-batch --help.\n";
    return 2;
  } catch (...) {
    step([] { throw; });
    return status;
  }
  if (options.Help) {
    step([&] { out.Write(BatchHelp()); });
    return finish();
  }
  if (options.Explain && !step([&] { Explain(options.Texts.Expression, out); })) return finish();
  // Points go to standard output unless another output was asked for.
  std::optional<std::string> destination = options.Csv;
  const bool picture = options.Bmp || options.Emf || options.Png || options.Svg;
  if (!destination && !options.Explain && !picture) destination = "-";
  if (!destination && !picture) return finish();

  // The chart is filled as the window's is, point by point during the run,
  // and laid out as the window's paints lay it out: once empty as the window
  // opens, once after the run. Each layout measures the axis labels with the
  // label step of the one before. A layout that fails would fail the same
  // way in each picture, so its error is printed once and no picture is made.
  std::unique_ptr<TChart> chart;
  TLineSeries* series = nullptr;
  bool laidOut = picture && step([&] {
                   chart = std::make_unique<TChart>();
                   series = &ApplyWindowChartSettings(*chart);
                   chart->SetControlSize({options.Size.Width + 2 * kWindowChartBorder,
                                          options.Size.Height + 2 * kWindowChartBorder});
                   chart->LayOut();
                 });
  TRunRecord record;
  step([&] {
    RunSampling(options.Texts, record, [&](double x, double y) {
      if (series) series->AddPoint(x, y);
    });
  });
  if (destination) step([&] { WriteCsv(*destination, record, out); });
  laidOut = laidOut && step([&] { chart->LayOut(); });
  if (laidOut && options.Bmp) step([&] { chart->WriteBitmapFile(*options.Bmp); });
  if (laidOut && options.Emf) step([&] { chart->WriteMetafileFile(*options.Emf); });
  if (laidOut && options.Png) step([&] { chart->WritePngFile(*options.Png); });
  if (laidOut && options.Svg) step([&] { chart->WriteSvgFile(*options.Svg); });
  return finish();
}

} // namespace curvella
