program P;

uses
  Forms,
  Unit1 in 'Unit1.pas' {Form1},
  Unit2 in 'Unit2.pas',
  Main in '..\Common\Main.pas' {MainForm},
  NoPath;

begin
end.
