// X3D Vendrel host library: what a script written by X3D Vendrel ("Create SAI JavaScript") expects of
// its page, on top of X_ITE (15.0.1). A page includes, in this order:
//
//    <script src="x_ite.min.js"></script>
//    <x3d-canvas src="world.x3d"></x3d-canvas>
//    <script src="vendrel-host.js"></script>
//    <script src="generated.js"></script>
//
// It attaches to the page's first x3d-canvas (VendrelHost.attach(canvasOrBrowser) picks another),
// declares the globals the generated code assigns (context, node, field), provides `browser` with
// getExecutionContext(), the page functions setNodeEventIn, setNodeEventInRGB, setNodeEventInXY,
// setNodeEventInXYZ, setNodeEventInRot, setNodeEventInArray and GetDOMValue, and calls setupListeners()
// once each world is initialized, when the page defines it.

/* exported browser, context, node, field, setNodeEventIn, setNodeEventInRGB, setNodeEventInXY,
   setNodeEventInXYZ, setNodeEventInRot, setNodeEventInArray, GetDOMValue, VendrelHost */

// The generated code assigns these without declaring them.
var context = null, node = null, field = null;
var browser = null;

var VendrelHost = (function () {
"use strict";

let x3d = null;          // X_ITE's browser of the attached canvas
let current = null;      // the execution context object of the initialized world, else null
let pendingSetup = false;
const sentValues = new WeakMap(); // X_ITE node -> Map(field name -> the last value sent to an inputOnly field)

function quote(text) {
   return JSON.stringify(String(text));
}

// "setNodeEventIn(\"T1\", \"set_translation\")": every error names the call, the path and the field.
function where(fn, path, name) {
   return fn + "(" + quote(path) + (name === undefined ? "" : ", " + quote(name)) + ")";
}

// ---- The walk: the order and the names of the tool's tree --------------------------------------------

function isNode(value) {
   return value !== null && typeof value === "object" && typeof value.getNodeTypeName === "function";
}

// Visits the nodes in the order the tool's tree lists them: the root nodes, then below each node, field
// by field, the elements of "children" and the node of every SFNode field that is not inputOnly. A node
// met again below itself is listed but not walked, and of two nodes with the same place only the first.
// `visit(node, owner, prefix)` gets every walked node with the DEF name of its nearest named ancestor
// (`owner`, "" when none) and, for an unnamed node with an owner, the text its fields' node paths start
// with ("T1_Shape_Appearance"); a result other than undefined ends the walk and is returned.
function walk(scene, visit) {
   const C = X3D.X3DConstants;
   const places = new Set();
   const ancestors = new Set();
   const stack = [];

   function enter(value, parentKey, n, parent, heldByField) {
      if (!isNode(value))
         return undefined;
      const key = parentKey + (heldByField ? "_f" : "_") + n;
      if (places.has(key))
         return undefined;
      places.add(key);
      const identity = value.getValue();
      if (ancestors.has(identity))
         return undefined;
      const name = value.getNodeName();
      const owner = name || (parent ? parent.owner : "");
      const prefix = name ? name : (parent && parent.prefix ? parent.prefix + "_" + value.getNodeTypeName() : "");
      const frame = { node: value, identity: identity, key: key, owner: owner, prefix: prefix, named: !!name,
                      definitions: Array.from(value.getFieldDefinitions()), j: 0, children: null, c: 0 };
      const result = visit(value, frame.named ? "" : owner, frame.named ? "" : prefix);
      if (result !== undefined)
         return { result: result };
      ancestors.add(identity);
      stack.push(frame);
      return undefined;
   }

   const roots = scene.rootNodes;
   for (let i = 0; i < roots.length; ++i) {
      let found = enter(roots[i], "Root", i, null, false);
      while (!found && stack.length) {
         const frame = stack[stack.length - 1];
         if (frame.children) {
            if (frame.c < frame.children.length) {
               const c = frame.c++;
               found = enter(frame.children[c], frame.key, c, frame, false);
            } else {
               frame.children = null;
               ++frame.j;
            }
            continue;
         }
         if (frame.j >= frame.definitions.length) {
            ancestors.delete(frame.identity);
            stack.pop();
            continue;
         }
         const definition = frame.definitions[frame.j];
         try {
            if (definition.name === "children") {
               const children = definition.dataType === C.MFNode ? frame.node[definition.name] : undefined;
               if (!children) {
                  frame.j = frame.definitions.length; // the tree walks no further fields of this node
                  continue;
               }
               frame.children = children;
               frame.c = 0;
               continue;
            }
            if (definition.accessType !== C.inputOnly && definition.dataType === C.SFNode)
               found = enter(frame.node[definition.name], frame.key, frame.j, frame, true);
         } catch (e) {
            // the tree skips this field
         }
         ++frame.j;
      }
      if (found)
         return found.result;
   }
   return undefined;
}

function hasField(x3dNode, name) {
   return !!x3dNode.getFieldDefinitions().get(name);
}

function scene() {
   return x3d.currentScene;
}

// A node by its DEF name, or by the node path of a field of an unnamed node: the DEF name of its nearest
// named ancestor, the type names of the unnamed nodes down to it and the field name, joined by "_". The
// first node in the tree's order whose items carry that text.
function findNode(path, fn, name) {
   path = String(path);
   try {
      const named = scene().getNamedNode(path);
      if (named)
         return named;
   } catch (e) {
      // not a DEF name of this scene
   }
   const found = walk(scene(), function (candidate, owner, prefix) {
      if (candidate.getNodeName() === path)
         return candidate;
      if (prefix && path.length > prefix.length + 1 && path.startsWith(prefix + "_") &&
          hasField(candidate, path.slice(prefix.length + 1)))
         return candidate;
      return undefined;
   });
   if (!found)
      throw new Error(where(fn, path, name) + ": no node " + quote(path) + " in the world");
   return found;
}

// ---- Values -------------------------------------------------------------------------------------------

const primitive = { SFBool: Boolean, SFInt32: Number, SFFloat: Number, SFDouble: Number, SFTime: Number,
                    SFString: String };
const components = {
   SFColor: ["r", "g", "b"], SFColorRGBA: ["r", "g", "b", "a"], SFRotation: ["x", "y", "z", "angle"],
   SFVec2f: ["x", "y"], SFVec2d: ["x", "y"], SFVec3f: ["x", "y", "z"], SFVec3d: ["x", "y", "z"],
   SFVec4f: ["x", "y", "z", "w"], SFVec4d: ["x", "y", "z", "w"],
};

function singleType(typeName) {
   return typeName.startsWith("MF") ? "SF" + typeName.slice(2) : null;
}

// An element as the generated code handles it: a primitive, a node or null, or a plain object.
function toElement(typeName, value) {
   if (typeName in primitive || typeName === "SFNode")
      return value;
   if (typeName === "SFImage")
      return { width: value.width, height: value.height, comp: value.comp, array: Array.from(value.array) };
   const names = components[typeName];
   if (!names)
      return Array.from(value);
   const element = {};
   for (const component of names)
      element[component === "angle" ? "a" : component] = value[component];
   return element;
}

function defaultElement(typeName) {
   if (typeName === "SFNode")
      return null;
   if (typeName in primitive)
      return primitive[typeName]();
   return toElement(typeName, new X3D[typeName]());
}

// A value of the X_ITE type `typeName` from a value of that type, an element (as above) or an array of
// components or elements.
function toValue(typeName, value, fail) {
   const Type = X3D[typeName];
   if (value instanceof Type)
      return value;
   if (typeName in primitive)
      return primitive[typeName](value);
   if (typeName === "SFNode") {
      if (value === null || value === undefined || isNode(value))
         return value || null;
      fail(TypeError, "not a node");
   }
   const single = singleType(typeName);
   if (single) {
      if (!isList(value))
         fail(TypeError, "needs an array of elements");
      return new Type(...Array.from(value, function (element) { return toValue(single, element, fail); }));
   }
   if (value === null || typeof value !== "object")
      fail(TypeError, "needs a " + typeName + " value");
   if (typeName === "SFImage")
      return new Type(value.width, value.height, value.comp, Array.from(value.array || []));
   const names = components[typeName];
   if (!names)
      return new Type(...Array.from(value));
   return new Type(...names.map(function (component, k) {
      const v = isList(value) ? value[k] : value[component === "angle" ? "a" : component];
      return v === undefined && component === "angle" ? value.angle : v;
   }));
}

function isList(value) {
   return Array.isArray(value) || value instanceof X3D.X3DArrayField ||
          (ArrayBuffer.isView(value) && !(value instanceof DataView));
}

// ---- Nodes and fields as the generated code sees them -------------------------------------------------

function fieldOf(x3dNode, path, name, fn) {
   const definition = x3dNode.getFieldDefinitions().get(name);
   if (!definition)
      throw new Error(where(fn, path, name) + ": " + x3dNode.getNodeTypeName() + " " + quote(path) +
                      " has no field " + quote(name));
   return definition;
}

function readable(definition) {
   return definition.accessType !== X3D.X3DConstants.inputOnly;
}

// X_ITE's value of the field; for an inputOnly field, which a page cannot read, the last value sent to
// it through this library (empty at first).
function currentValue(x3dNode, definition) {
   if (readable(definition))
      return x3dNode[definition.name];
   const sent = sentValues.get(x3dNode.getValue());
   const value = sent && sent.get(definition.name);
   return value !== undefined ? value : definition.getValue().copy().valueOf();
}

function send(x3dNode, definition, value, fn, path) {
   if (definition.accessType === X3D.X3DConstants.outputOnly)
      throw new Error(where(fn, path, definition.name) + ": field " + quote(definition.name) + " of " +
                      x3dNode.getNodeTypeName() + " " + quote(path) + " is outputOnly and cannot be written");
   x3dNode[definition.name] = value;
   if (!readable(definition)) {
      const identity = x3dNode.getValue();
      if (!sentValues.has(identity))
         sentValues.set(identity, new Map());
      sentValues.get(identity).set(definition.name, value.copy ? value.copy() : value);
   }
}

function currentTime() {
   return typeof x3d.currentTime === "number" ? x3d.currentTime : x3d.getCurrentTime();
}

function report(error) {
   if (typeof reportError === "function")
      reportError(error);
   else
      setTimeout(function () { throw error; });
}

function makeField(x3dNode, path, name) {
   const definition = fieldOf(x3dNode, path, name, "node.getField");
   const typeName = definition.getValue().getTypeName();
   const single = singleType(typeName);
   function failer(fn) {
      return function (Kind, why) { throw new Kind(where(fn, path, name) + ": " + why); };
   }
   function elementIndex(fn, i) {
      if (!single)
         throw new TypeError(where(fn, path, name) + ": " + typeName + " has no elements");
      if (!Number.isInteger(i) || i < 0)
         throw new RangeError(where(fn, path, name) + ": no element " + i);
      return i;
   }
   return {
      getValue: function () {
         return currentValue(x3dNode, definition);
      },
      get1Value: function (i) {
         const value = currentValue(x3dNode, definition);
         if (elementIndex("field.get1Value", i) < value.length)
            return toElement(single, value[i]);
         if (readable(definition))
            throw new RangeError(where("field.get1Value", path, name) + ": no element " + i + " of " +
                                 value.length);
         return defaultElement(single);
      },
      set1Value: function (i, element) {
         elementIndex("field.set1Value", i);
         const value = currentValue(x3dNode, definition).copy();
         const fail = failer("field.set1Value");
         while (value.length < i)
            value.push(toValue(single, defaultElement(single), fail));
         value[i] = toValue(single, element, fail);
         send(x3dNode, definition, value, "field.set1Value", path);
      },
      addFieldEventListener: function (observer) {
         // One registration per observer: X_ITE calls each once per event of the field. A listener that
         // throws is reported and the others still run.
         x3dNode.addFieldCallback(observer, name, function (value) {
            try {
               observer.readableFieldChanged(value, currentTime());
            } catch (error) {
               report(error);
            }
         });
      },
   };
}

function makeContext(scene) {
   return {
      getNode: function (path) {
         if (x3d.currentScene !== scene)
            throw new Error(where("context.getNode", path) + ": the world of this context was replaced");
         const x3dNode = findNode(path, "context.getNode");
         return {
            x3dNode: x3dNode, // X_ITE's node, for the page's own use
            getField: function (name) { return makeField(x3dNode, String(path), String(name)); },
         };
      },
   };
}

// ---- The page functions -------------------------------------------------------------------------------

function loaded(fn, path, name) {
   if (!current)
      throw new Error(where(fn, path, name) + ": no world is loaded yet");
}

// Sends `value` (components, elements or a value) to the field an event-in name stands for: "set_x" is
// the field "x", unless the node has a field really named "set_x".
function sendEvent(fn, path, eventIn, value) {
   loaded(fn, path, eventIn);
   const x3dNode = findNode(path, fn, eventIn);
   eventIn = String(eventIn);
   let name = eventIn;
   if (!hasField(x3dNode, name) && name.startsWith("set_") && hasField(x3dNode, name.slice(4)))
      name = name.slice(4);
   const definition = fieldOf(x3dNode, path, name, fn);
   const converted = toValue(definition.getValue().getTypeName(), value, function (Kind, why) {
      throw new Kind(where(fn, path, eventIn) + ": " + why);
   });
   send(x3dNode, definition, converted, fn, path);
}

function setNodeEventIn(path, eventIn, v) {
   sendEvent("setNodeEventIn", path, eventIn, v);
}
function setNodeEventInRGB(path, eventIn, r, g, b) {
   sendEvent("setNodeEventInRGB", path, eventIn, [r, g, b, 1]);
}
function setNodeEventInXY(path, eventIn, x, y) {
   sendEvent("setNodeEventInXY", path, eventIn, [x, y]);
}
function setNodeEventInXYZ(path, eventIn, x, y, z) {
   sendEvent("setNodeEventInXYZ", path, eventIn, [x, y, z]);
}
function setNodeEventInRot(path, eventIn, x, y, z, a) {
   sendEvent("setNodeEventInRot", path, eventIn, [x, y, z, a]);
}
function setNodeEventInArray(path, eventIn, arr) {
   if (!isList(arr))
      throw new TypeError(where("setNodeEventInArray", path, eventIn) + ": needs an array, not " + typeof arr);
   sendEvent("setNodeEventInArray", path, eventIn, arr);
}

// "T1.transparency": the field of that name of the first unnamed node, in the tree's order, whose nearest
// named ancestor is T1.
function GetDOMValue(domPath) {
   domPath = String(domPath);
   const dot = domPath.lastIndexOf(".");
   const owner = domPath.slice(0, dot);
   const name = domPath.slice(dot + 1);
   loaded("GetDOMValue", domPath, name);
   const value = dot < 1 ? undefined : walk(scene(), function (candidate, candidateOwner, prefix) {
      if (prefix && candidateOwner === owner && hasField(candidate, name))
         return { value: currentValue(candidate, candidate.getFieldDefinitions().get(name)) };
      return undefined;
   });
   if (!value)
      throw new Error(where("GetDOMValue", domPath, name) + ": no unnamed node below " + quote(owner) +
                      " has a field " + quote(name));
   return value.value;
}

// ---- Attaching to a canvas ----------------------------------------------------------------------------

// Once a world is initialized and the page's scripts have run, the page's setupListeners() (if any)
// attaches its listeners to it; for a later world they are attached anew. A script that comes later
// than the world (a page that adds it once the world is there) is waited for, 200 ms at a time, as the
// generated code waits for the world.
function worldInitialized(first) {
   current = makeContext(x3d.currentScene);
   context = current;
   if (pendingSetup)
      return;
   pendingSetup = true;
   let tries = 25;
   const setup = function () {
      if (current && typeof window.setupListeners !== "function" && --tries > 0) {
         setTimeout(setup, 200);
         return;
      }
      pendingSetup = false;
      if (!current || typeof window.setupListeners !== "function")
         return;
      if (!first)
         window.listenersSetup = false;
      window.setupListeners();
   };
   if (document.readyState === "loading")
      document.addEventListener("DOMContentLoaded", setup, { once: true });
   else
      setTimeout(setup, 0);
}

const callbacks = "vendrel-host";
let worlds = 0;

function attach(canvasOrBrowser) {
   const target = typeof canvasOrBrowser === "string" ? document.querySelector(canvasOrBrowser) : canvasOrBrowser;
   const next = target && typeof target.addBrowserCallback === "function" ? target : X3D.getBrowser(target);
   if (!next)
      throw new TypeError("VendrelHost.attach: " + String(canvasOrBrowser) + " is no x3d-canvas or X3D browser");
   const C = X3D.X3DConstants;
   if (x3d) {
      x3d.removeBrowserCallback(callbacks, C.INITIALIZED_EVENT);
      x3d.removeBrowserCallback(callbacks, C.SHUTDOWN_EVENT);
   }
   x3d = next;
   current = null;
   context = null;
   worlds = 0;
   x3d.addBrowserCallback(callbacks, C.INITIALIZED_EVENT, function () { worldInitialized(worlds++ === 0); });
   x3d.addBrowserCallback(callbacks, C.SHUTDOWN_EVENT, function () { current = null; context = null; });
   if (!x3d.getBrowserLoading() && x3d.initialized().getValue() > 0)
      worldInitialized(worlds++ === 0);
   return x3d;
}

browser = {
   getExecutionContext: function () { return current; },
};

function attachFirstCanvas() {
   const canvas = document.querySelector("x3d-canvas");
   if (canvas && !x3d)
      attach(canvas);
}
if (typeof X3D !== "undefined") {
   attachFirstCanvas();
   if (!x3d)
      document.addEventListener("DOMContentLoaded", attachFirstCanvas, { once: true });
}

Object.assign(window, {
   setNodeEventIn: setNodeEventIn, setNodeEventInRGB: setNodeEventInRGB, setNodeEventInXY: setNodeEventInXY,
   setNodeEventInXYZ: setNodeEventInXYZ, setNodeEventInRot: setNodeEventInRot,
   setNodeEventInArray: setNodeEventInArray, GetDOMValue: GetDOMValue,
});

return {
   attach: attach,
   /// X_ITE's browser the library works with.
   get x3d() { return x3d; },
};
})();
