// The main job's demo script for lumatra (run with --quit on a document
// holding one imported mass item and, for the match, molecule items): shows
// the browser and the three result docks, computes the elemental
// composition at the base peak of the spectrum plot, matches the molecules
// on the page, and prints what it found.
lumatra.showDock("MSBrowserWidget", true);
lumatra.showDock("MassPeaksTable", true);
lumatra.showDock("MassElementCompositionTable", true);
lumatra.showDock("MassMolMatchTable", true);

var state = JSON.parse(lumatra.state());
print("Items on the page: " + state.items.length);
for (var n = 0; n < state.items.length; ++n) {
    var entry = state.items[n];
    var plots = (entry.plots || []).map(function (p) { return p.description; });
    print("  " + entry.typeName + " (type " + entry.type + ")" + (plots.length ? ", plots: " + plots.join("; ") : ""));
}

var item = mass.activeItem();
if (!item)
    throw new Error("no mass item is selected");

var spectrum = -1;
for (var i = 0; i < item.plotsCount && spectrum < 0; ++i) {
    var plot = item.plot(i);
    if (plot && plot.type == 2)
        spectrum = i;
}
if (spectrum < 0)
    throw new Error("the mass item shows no spectrum");

var peaks = item.plot(spectrum).peaks || [];
var base = null;
for (var k = 0; k < peaks.length; ++k)
    if (!base || peaks[k].center.y > base.center.y)
        base = peaks[k];
if (!base)
    throw new Error("the spectrum has no peaks");
print("Base peak of the spectrum: m/z " + base.center.x.toFixed(4) + ", intensity " + base.center.y.toFixed(0));

mass.elementalComposition(item, spectrum, base.center.x);
var candidates = item.elementalComp.results;
print("Composition candidates: " + candidates.length);
for (var c = 0; c < candidates.length && c < 5; ++c)
    print("  " + candidates[c].formula + "  mass " + candidates[c].mass.toFixed(4) + "  error " +
          candidates[c].ppmErr.toFixed(2) + " ppm");

if (mass.moleculeMatch(item)) {
    var matches = item.molMatch.results;
    print("Molecule match results: " + matches.length);
    for (var m = 0; m < matches.length; ++m) {
        var r = matches[m];
        print("  " + r.moleculeId + (r.matched ? " matched at " + r.retTime.toFixed(2) + " min (scan " + r.scan +
              "), score " + r.score.toFixed(3) : " not matched"));
    }
} else {
    print("Molecule match: no molecule on the page");
}
