#pragma once
// The printable controls: labels, memos, expression results, system values
// and shapes. Text controls wrap their text into lines that fit their width
// (whole characters only), print the lines that fit their height and, with
// AutoStretch, grow their band line by line and continue on the next column
// or page when the band cannot grow any more.
#include <functional>
#include <string>
#include <vector>

#include "report/BandReport.h"

using TRpLabelOnPrintEvent = std::function<void(TObject *sender, std::string &text)>;

class TRpCustomLabel : public TRpPrintable {
public:
    explicit TRpCustomLabel(TComponent *owner);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value) { autoSize_ = value; }
    bool AutoStretch() const { return autoStretch_; }
    void SetAutoStretch(bool value) { autoStretch_ = value; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value) { wordWrap_ = value; }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value) { transparent_ = value; }
    // The text starts this many pixels right of the control's left edge,
    // and its lines are formatted for the width that remains; the control's
    // fill and frame keep its whole width.
    int TextIndent() const { return textIndent_; }
    void SetTextIndent(int pixels);
    const std::string &Caption() const { return caption_; }
    // Sets the caption and the text to print, and formats the lines again.
    void SetCaption(const std::string &caption);
    void SetName(const std::string &name);
    TRpLabelOnPrintEvent OnPrint;

    // Text measured in screen pixels at the control's zoom.
    int MeasureWidth(const std::string &text);
    // The lines as formatted for the control's width.
    const std::vector<std::string> &FormattedLines() const { return formatted_; }
    virtual bool IsCaptionBased() const { return true; }
    virtual void FormatLines();

    void BeginPrint() override;
    void Print(int x, int y) override;
    int PrintProgress() const override { return printLine_; }
    void FinishPrint() override;

protected:
    // The source lines of a memo.
    std::vector<std::string> lines_;
    // Prints the formatted lines at the band position.
    void PrintText(int x, int y);
    TSize MeasureText(const std::string &text);
    int MeasureHeight(const std::string &text);
    const std::string &TextToPrint() const { return printText_; }
    void SetTextToPrint(const std::string &text);

private:
    void SplitText(const std::string &text);
    void SplitPiece(const std::string &piece);
    void RaiseHeightToLine();
    void FitWidth();
    void PrintLines(int x, int y, long double lineHeight);

    bool autoSize_ = true;
    bool autoStretch_ = false;
    bool wordWrap_ = true;
    std::vector<std::string> formatted_;
    bool doneFormat_ = false;
    std::string caption_;
    std::string printText_;
    bool transparent_ = false;
    bool updatingBounds_ = false;
    int printLine_ = 0;
    int textIndent_ = 0;
};

class TRpLabel : public TRpCustomLabel {
public:
    using TRpCustomLabel::TRpCustomLabel;
};

class TRpMemo : public TRpCustomLabel {
public:
    using TRpCustomLabel::TRpCustomLabel;

    const std::vector<std::string> &Lines() const { return lines_; }
    void SetLines(const std::vector<std::string> &lines);
    bool IsCaptionBased() const override { return false; }
    void Print(int x, int y) override;
    int NeededHeight() override;
};

// Prints the value of an expression.
class TRpExpr : public TRpCustomLabel {
public:
    explicit TRpExpr(TComponent *owner);

    const std::string &Expression() const { return expression_; }
    void SetExpression(const std::string &expression);
    const std::string &Mask() const { return mask_; }
    void SetMask(const std::string &mask);
    // The report or sub-detail whose records the aggregates follow.
    TComponent *Master = nullptr;
    bool ResetAfterPrint = false;
    TRpEvaluator &Evaluator() { return evaluator_; }

    void BeginPrint() override;
    void Print(int x, int y) override;
    void EndPrint() override;
    void BandChanged(TObject *sender, int kind) override;

    // The text a result prints as under the mask.
    static std::string ValueText(const TRpValue &value, const std::string &mask);

private:
    void ApplyExpressionCaption();

    TRpEvaluator evaluator_;
    std::string expression_;
    std::string mask_;
};

enum TRpSysDataType { rpsTime, rpsDate, rpsDateTime, rpsPageNumber, rpsReportTitle, rpsDetailCount, rpsDetailNo };

// Prints a value of the run: time, date, page number, title, record count or number.
class TRpSysData : public TRpCustomLabel {
public:
    explicit TRpSysData(TComponent *owner);

    TRpSysDataType Data() const { return data_; }
    void SetData(TRpSysDataType data);
    const std::string &Text() const { return text_; }
    void SetText(const std::string &text);
    // What a print at this point of the run prints: Text followed by the value.
    std::string PrintedText() const { return text_ + ValueText(); }
    void Print(int x, int y) override;

private:
    std::string ValueText() const;
    void ApplyDesignCaption();

    TRpSysDataType data_ = rpsTime;
    std::string text_;
};

enum TRpShapeType { rpsRectangle, rpsCircle, rpsVertLine, rpsHorLine, rpsTopAndBottom, rpsRightAndLeft, rpsRoundRect };

class TRpShape : public TRpPrintable {
public:
    explicit TRpShape(TComponent *owner);

    TRpShapeType Shape = rpsRectangle;
    TPen &Pen() { return pen_; }
    TBrush &Brush() { return brush_; }
    float RoundFactor = 0;
    int VertAdjust = 0;

    void Print(int x, int y) override;

private:
    TPen pen_;
    TBrush brush_;
};
