#include "app/WindowChart.h"

#include "chart/SeriesFunctions.h"

namespace curvella {

TLineSeries& ApplyWindowChartSettings(TChart& chart) {
  chart.SetLoading(true);
  chart.SetControlSize(kWindowChartSize);
  chart.SetBorderThickness(kWindowChartBorder);
  chart.SetBevelOuter(TBevelCut::bvNone);
  chart.SetBevelInner(TBevelCut::bvNone);
  chart.SetColor(clWindow);
  chart.SetView3D(false);
  chart.SetMarginLeft(2);
  chart.SetMarginTop(0);
  chart.SetMarginRight(2);
  chart.SetMarginBottom(3);
  chart.SetAnimatedZoomSteps(25);
  chart.BackWall().Brush().SetColor(clWhite);
  chart.BackWall().Brush().SetStyle(TBrushStyle::bsClear);

  TChartTitle& title = chart.Title();
  title.SetText({"Y=F(x)"});
  title.Font().SetName("Arial");
  title.Font().SetHeight(-12);
  title.Font().SetColor(clBlue);
  title.Font().SetStyle({});
  title.Brush().SetColor(clWhite);
  title.Brush().SetStyle(TBrushStyle::bsClear);
  title.SetColor(8421631);

  chart.Legend().DividingLines().SetColor(clLime);

  chart.BottomAxis().SetAxisValuesFormat(kWideLabelPicture);
  chart.RightAxis().SetAxisValuesFormat(kWideLabelPicture);
  chart.TopAxis().SetLabels(false);
  TChartAxis& left = chart.LeftAxis();
  left.SetExactDateTime(false);
  left.SetLabelsMultiLine(true);
  left.MinorGrid().SetStyle(TPenStyle::psDashDotDot);
  left.MinorGrid().SetSmallDots(true);
  left.Title().SetAngle(270);
  chart.DepthAxis().SetVisible(true);
  chart.DepthAxis().SetLabels(false);

  auto line = std::make_unique<TLineSeries>();
  line->SetName("Series1");
  line->BeginLoading();
  line->Marks().SetVisible(false);
  line->Marks().SetArrowLength(8);
  line->SetSeriesColor(clBlue);
  line->SetShowInLegend(false);
  line->SetDark3D(false);
  line->Pointer().SetVisible(false);
  line->Pointer().SetInflateMargins(true);
  line->Pointer().SetStyle(TSeriesPointerStyle::psRectangle);
  line->XValues().SetDateTime(false);
  line->XValues().SetName("X");
  line->XValues().SetMultiplier(1.0);
  line->XValues().SetOrder(TChartListOrder::loAscending);
  line->YValues().SetDateTime(false);
  line->YValues().SetName("Y");
  line->YValues().SetMultiplier(1.0);
  line->YValues().SetOrder(TChartListOrder::loNone);
  line->SetHorizAxis(THorizAxis::aBothHorizAxis);
  line->SetVertAxis(TVertAxis::aBothVertAxis);
  line->SetFunction(std::make_unique<TAddFunction>());
  auto& series = static_cast<TLineSeries&>(chart.AddSeries(std::move(line)));
  series.EndLoading();
  chart.SetLoading(false);
  return series;
}

} // namespace curvella
