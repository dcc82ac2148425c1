#include "report/HtmlStyle.h"

namespace stereolint::report {

const char* reportStyleSheet() {
  return R"CSS(
:root { --ink:#1f2328; --muted:#5f6b7a; --line:#d8dee4; --paper:#ffffff; --wash:#f6f8fa;
  --pass:#1e8e3e; --fix:#c26100; --reject:#c5221f; --inconclusive:#5f6368; }
* { box-sizing:border-box; }
body { margin:0; background:var(--wash); color:var(--ink);
  font:15px/1.5 "Segoe UI", "Helvetica Neue", Helvetica, Arial, "Liberation Sans", sans-serif; }
main { max-width:1040px; margin:0 auto; padding:32px 28px 48px; }
header.top { display:flex; justify-content:space-between; align-items:flex-start; gap:24px;
  border-bottom:3px solid var(--ink); padding-bottom:18px; margin-bottom:22px; }
.kicker { text-transform:uppercase; letter-spacing:.12em; font-size:12px; color:var(--muted); margin:0; }
h1 { font-size:28px; line-height:1.2; margin:4px 0 6px; word-break:break-word; }
h2 { font-size:18px; margin:34px 0 12px; padding-bottom:6px; border-bottom:1px solid var(--line); }
h3 { font-size:15px; margin:18px 0 6px; }
.sub { color:var(--muted); margin:0; }
.verdict-box { text-align:right; min-width:200px; }
.verdict-box .badge { font-size:22px; padding:8px 18px; border-radius:8px; }
.verdict-box .caption { font-size:12px; color:var(--muted); margin-top:6px; }
.summary { background:var(--paper); border:1px solid var(--line); border-left:6px solid var(--inconclusive);
  border-radius:8px; padding:14px 18px; font-size:16px; }
.summary.pass { border-left-color:var(--pass); } .summary.fix { border-left-color:var(--fix); }
.summary.reject { border-left-color:var(--reject); }
.cards { display:grid; grid-template-columns:repeat(auto-fit, minmax(150px, 1fr)); gap:12px; margin-top:16px; }
.card { background:var(--paper); border:1px solid var(--line); border-radius:8px; padding:10px 14px; }
.card .label { font-size:12px; color:var(--muted); text-transform:uppercase; letter-spacing:.06em; }
.card .value { font-size:18px; font-weight:600; font-variant-numeric:tabular-nums; }
.badge { display:inline-block; padding:2px 9px; border-radius:999px; font-size:12px; font-weight:700;
  letter-spacing:.05em; color:#fff; background:var(--inconclusive); white-space:nowrap; }
.badge.pass { background:var(--pass); } .badge.fix { background:var(--fix); }
.badge.reject { background:var(--reject); }
.beyond { display:inline-block; text-indent:0; font-weight:600; border-radius:4px; padding:1px 4px;
  margin:1px 0 1px -4px; }
.beyond.fix { background:#fdf0d9; } .beyond.reject { background:#fde2e0; }
.beyond .limit { display:block; font-weight:400; font-size:11.5px; color:var(--muted); white-space:normal; }
table { width:100%; border-collapse:collapse; background:var(--paper); border:1px solid var(--line);
  border-radius:8px; overflow:hidden; font-size:13.5px; }
th, td { padding:7px 10px; text-align:left; border-bottom:1px solid var(--line); vertical-align:top; }
th { background:#eef1f4; font-size:12px; text-transform:uppercase; letter-spacing:.05em; color:var(--muted); }
td.num { font-variant-numeric:tabular-nums; white-space:nowrap; }
td.measures { width:46%; font-variant-numeric:tabular-nums; overflow-wrap:anywhere; }
td.measures div { padding-left:1.2em; text-indent:-1.2em; }
tr:last-child td { border-bottom:none; }
.settings td:first-child { width:32%; color:var(--muted); }
code { font-family:"DejaVu Sans Mono", Menlo, Consolas, monospace; font-size:12.5px; }
.plot-block { background:var(--paper); border:1px solid var(--line); border-radius:8px; padding:10px 12px 6px;
  margin-bottom:14px; break-inside:avoid; }
.plot-block h3 { margin:2px 0 0; }
.plot-block h3 .unit { font-weight:400; color:var(--muted); font-size:13px; margin-left:6px; }
.plot-block .note { color:var(--muted); font-size:12.5px; margin:0 0 4px; }
svg.plot { width:100%; height:auto; display:block; }
svg.plot .band-pass { fill:#dff3e4; } svg.plot .band-fix { fill:#fdf0d9; }
svg.plot .grid { stroke:#c9d1d9; stroke-width:.6; stroke-dasharray:3 3; }
svg.plot .axis { stroke:#8c959f; stroke-width:1; }
svg.plot .cut { stroke:#57606a; stroke-width:1; stroke-dasharray:4 3; }
svg.plot .series { fill:none; stroke-width:1.3; stroke-linejoin:round; opacity:.75; }
svg.plot .series.dashed { stroke-dasharray:6 3; }
svg.plot .zero { stroke:#8c959f; stroke-width:.8; }
svg.plot .limit { stroke:#b08a3a; stroke-width:.6; opacity:.6; }
svg.plot .limit-label { font-size:10.5px; fill:#6e5520; }
svg.plot .axis-title { font-size:10.5px; fill:#57606a; font-style:italic; }
svg.plot .tick.timecode { fill:#6e7781; }
svg.plot .legend-label { font-size:11px; fill:#24292f; }
svg.plot .point { stroke:#fff; stroke-width:.7; }
svg.plot .no-value { fill:#9aa0a6; }
svg.plot text { font-family:inherit; }
svg.plot .tick { font-size:11px; fill:#57606a; }
svg.plot .shot-label { font-size:11px; fill:#24292f; font-weight:600; }
.legend { display:flex; flex-wrap:wrap; gap:16px; font-size:12.5px; color:var(--muted); margin:0 0 14px; }
.legend span[style]::before { content:""; display:inline-block; width:10px; height:10px; border-radius:50%;
  margin-right:6px; vertical-align:-1px; background:var(--c); }
.legend .swatch::before { border-radius:2px; }
.legend .note { flex-basis:100%; }
.frames { display:grid; grid-template-columns:repeat(auto-fill, minmax(230px, 1fr)); gap:14px; }
figure { margin:0; background:var(--paper); border:1px solid var(--line); border-radius:8px; overflow:hidden;
  break-inside:avoid; }
figure img { width:100%; display:block; background:#eef1f4; }
figure .nopic { height:120px; display:flex; align-items:center; justify-content:center; color:var(--muted);
  background:#eef1f4; font-size:12.5px; }
figcaption { padding:8px 10px; font-size:13px; }
figcaption .what { color:var(--muted); }
.muted { color:var(--muted); }
footer { margin-top:40px; color:var(--muted); font-size:12px; border-top:1px solid var(--line); padding-top:10px; }
@media (max-width:860px) {
  main { padding:20px 12px 32px; }
  th, td { padding:6px 6px; }
}
@media print {
  body { background:#fff; font-size:12px; }
  main { max-width:none; padding:0; }
  .summary, .card, .plot-block, table, figure { background:#fff; }
  .badge, .summary, svg.plot .shot-bar, svg.plot .band-pass, svg.plot .band-fix, th {
    -webkit-print-color-adjust:exact; print-color-adjust:exact; }
  h2, h3, .legend { break-after:avoid; }
  header.top, .summary, .cards, tr, figure, .plot-block { break-inside:avoid; }
  .plot-block { padding:4px 6px 2px; margin-bottom:8px; }
  table { font-size:11.5px; }
  .frames { grid-template-columns:repeat(4, 1fr); gap:8px; }
  figure img { max-height:140px; object-fit:contain; }
}
)CSS";
}

}  // namespace stereolint::report
